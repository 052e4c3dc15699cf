#!/usr/bin/env bash
# Times the window program against zorvel-cli on one loopback site: PAGES pages (default 10) of
# FILES files each (default 100), linked with absolute addresses, scanned at depth R-2. The
# title and the summary change only at the scheduler's passes (2 s after a start, then every
# 1.5 s), so on a small site both figures move in those steps; the window's job also waits up
# to 1.5 s for the pass that admits it, where zorvel-cli's job is there before the first pass. The window is the real
# Zorvel.exe under Wine on its own Xvfb display, timed from Scan it to the title
# "Zorvel 2.0 - N files" (gui_driver), with its CPU seconds and the Wine server's; a
# screenshot is taken every half second while it runs. Prints the figures; asserts nothing.
# RTT_MS (default 0) puts bench/latency_proxy.py in front of nginx, adding that round trip per
# connection and per request, so that the crawl itself, not the scheduler's steps, takes the
# time.
# Usage: bench/window_speed.sh WIN_BUILD_DIR CLI   (WIN_BUILD_DIR: a win64 build with its tests,
#        CLI: a native zorvel-cli). Needs nginx, Xvfb, Wine and ImageMagick's import.
set -euo pipefail
build=$(cd "$1" && pwd)
cli=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
repo=$(cd "$(dirname "$0")/.." && pwd)
width=win64
display_dir=$(mktemp -d)
bash "$repo/tests/gui/xvfb.sh" start "$display_dir"
export ZORVEL_DISPLAY_FILE=$display_dir/display
source "$repo/tests/gui/wine_test_env.sh"
shots=$build/screenshots/window-speed
mkdir -p "$shots" "$work/www/s/img" "$work/run"

# port: the one the site's links name; nginx_port: nginx's own (the same without a proxy).
read -r port nginx_port <<<"$(python3 -c '
import socket
held = [socket.socket() for _ in range(2)]
for s in held: s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))')"
rtt=${RTT_MS:-0}
if [ "$rtt" -eq 0 ]; then nginx_port=$port; fi
pages=${PAGES:-10}
files=$((pages * ${FILES:-100}))
python3 - "$work/www/s" "$port" "$pages" "${FILES:-100}" <<'PY'
import os, sys
root, base = sys.argv[1], f"http://127.0.0.1:{sys.argv[2]}/s"
pages, files = int(sys.argv[3]), int(sys.argv[4])
def page(links):
    return "<html><body>\n" + "".join(f'<a href="{link}">x</a>\n' for link in links) + "</body></html>\n"
open(f"{root}/index.html", "w").write(page(f"{base}/p{p}.html" for p in range(pages)))
for p in range(pages):
    open(f"{root}/p{p}.html", "w").write(page(f"{base}/img/p{p}f{i}.jpg" for i in range(files)))
    for i in range(files):
        open(f"{root}/img/p{p}f{i}.jpg", "wb").write(os.urandom(2048 + (p * files + i) % 4096))
PY
user_line=""
if [ "$(id -u)" -eq 0 ]; then user_line="user root;"; fi
cat >"$work/nginx.conf" <<CONF
$user_line
worker_processes 1;
pid $work/run/nginx.pid;
error_log $work/run/error.log;
events { worker_connections 512; }
http {
  access_log off;
  client_body_temp_path $work/run/body; proxy_temp_path $work/run/proxy; fastcgi_temp_path $work/run/fastcgi;
  uwsgi_temp_path $work/run/uwsgi; scgi_temp_path $work/run/scgi;
  types { text/html html; image/jpeg jpg; }
  server { listen 127.0.0.1:$nginx_port; root $work/www; }
}
CONF
nginx -c "$work/nginx.conf" -p "$work"
proxy=""
if [ "$rtt" -gt 0 ]; then
  python3 "$repo/bench/latency_proxy.py" "$port" "$nginx_port" "$rtt" "$rtt" "$work/run/proxy.port" &
  proxy=$!
  for _ in $(seq 1 100); do [ -s "$work/run/proxy.port" ] && break; sleep 0.1; done
fi
finish() {
  if [ -n "$proxy" ]; then kill "$proxy" 2>/dev/null || true; fi
  kill "$(cat "$work/run/nginx.pid")" 2>/dev/null || true
  cleanup
  bash "$repo/tests/gui/xvfb.sh" stop "$display_dir"
  rm -rf "$display_dir"
}
trap finish EXIT
site=http://127.0.0.1:$port/s/index.html

mkdir -p "$work/cli-out"
start=$(date +%s.%N)
"$cli" --depth 2 -o "$work/cli-out" "$site" >/dev/null
cli_wall=$(echo "$(date +%s.%N) - $start" | bc)

install=$work/install
mkdir -p "$install/downloads"
wine reg add 'HKLM\Software\Quillheath\Zorvel' /v path /t REG_SZ /d "$(winpath "$install")" /f >/dev/null 2>&1
printf '[GENERAL_OPTION]\r\nszDownloadFolder=%s\r\n' "$(winpath "$install/downloads")" >"$install/Zorvel.ini"
wine "$build/Zorvel.exe" </dev/null >/dev/null 2>&1 &
driver page 1
cputime() { awk '{print $14 + $15}' "/proc/$1/stat"; }
ours() { for p in $(pgrep -f "$1"); do grep -qz "WINEPREFIX=$WINEPREFIX" "/proc/$p/environ" 2>/dev/null && echo "$p"; done | head -1; }
window=$(ours Zorvel.exe)
server=$(ours wineserver)
cpu0=$(cputime "$window")
server0=$(cputime "$server")
(for n in $(seq 1 20); do sleep 0.5; import -window root -trim +repage "$shots/$n.png" 2>/dev/null || true; done) &
shooter=$!
driver scan "$site" "$files" 300 2 >/dev/null 2>"$work/driver.txt" || fail "the window did not reach $files files: $(cat "$work/driver.txt")"
window_cpu=$(echo "($(cputime "$window") - $cpu0) / 100" | bc -l)
server_cpu=$(echo "($(cputime "$server") - $server0) / 100" | bc -l)
kill "$shooter" 2>/dev/null || true
driver close || true

window_wall=$(sed -n 's/^title after \([0-9.]*\) s.*/\1/p' "$work/driver.txt")
printf 'zorvel-cli --depth 2:  %.1f s wall, %s files\n' "$cli_wall" "$(ls "$work/cli-out" | wc -l)"
printf 'Zorvel.exe under Wine: %.1f s wall (Scan it to the title), %.1f s CPU, Wine server %.1f s CPU, %s files\n' \
  "$window_wall" "$window_cpu" "$server_cpu" "$(ls "$install/downloads" | wc -l)"
printf 'ratio window / cli: %.2f; screenshots in %s\n' "$(echo "$window_wall / $cli_wall" | bc -l)" "$shots"

#!/usr/bin/env bash
# Crawls a small sample site without internet: serves demo/site (and demo/second, which the
# first site links to by an absolute address) on two ports of 127.0.0.1 with Python's
# http.server, runs zorvel-cli over it (every Image file, two links deep, a line for each
# page fetched and each file saved), prints where the
# files went and stops the servers.
# Usage: scripts/demo.sh [DIR]   (files go to DIR, by default demo-downloads in the repository)
# Installs what is missing and builds zorvel-cli first, as scripts/run.sh does; with
# ZORVEL_CLI set it runs that program instead and builds nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/demo-downloads}

if [ -n "${ZORVEL_CLI:-}" ]; then
  cli=$ZORVEL_CLI
else
  bash "$root/scripts/setup.sh" >&2
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVEL_TESTS=OFF >/dev/null
  cmake --build "$root/build/release" --target zorvel-cli >&2
  cli=$root/build/release/zorvel-cli
fi

work=$(mktemp -d)
servers=()
stop_servers() {
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap stop_servers EXIT

# Two free ports, both held until both are known.
read -r first second <<<"$(python3 -c '
import socket
held = [socket.socket() for _ in range(2)]
for s in held: s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))')"

# The first site names the second one's port in an absolute link.
cp -r "$root/demo/site" "$work/site"
cp -r "$root/demo/second" "$work/second"
find "$work/site" -name '*.html' -exec sed -i "s/@SECOND_PORT@/$second/g" {} +

for served in "site $first" "second $second"; do
  read -r folder port <<<"$served"
  python3 -m http.server --bind 127.0.0.1 --directory "$work/$folder" "$port" >"$work/$folder.log" 2>&1 &
  servers+=("$!")
done
for port in "$first" "$second"; do
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then continue 2; fi
    sleep 0.1
  done
  echo "demo: the server on port $port did not start" >&2
  exit 1
done

mkdir -p "$out"
# The default folder is the demo's own: clear the last demo's files, so this run saves them again.
if [ "$out" = "$root/demo-downloads" ]; then rm -f "$out"/127.0.0.1+*; fi

start="http://127.0.0.1:$first/index.html"
echo "demo: serving the sample site at $start (and a second site on port $second)"
echo "demo: zorvel-cli -v -d 2 -o $out $start"
echo
status=0
# An empty settings folder: a Zorvel.ini in the current folder does not change the demo.
"$cli" -v -d 2 -o "$out" --ini-dir "$work" "$start" || status=$?
echo
echo "demo: the files went to $out:"
ls -l "$out"
exit "$status"

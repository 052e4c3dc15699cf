#!/usr/bin/env bash
# Crawl benchmark: zorvel-cli, Wget and Wget2 on the same generated sites on 127.0.0.1.
#
# Usage: bench/run.sh [--large-mb N] [--rtt-ms N] [--runs N] [--timeout S] [--sites LIST] [--cli PATH] [--no-docs]
#   --large-mb N   bytes of the large site's 10,000 images, in MB of 10^6 bytes (default 491)
#   --rtt-ms N     round trip the latency proxy adds per connection and per request (default 20)
#   --runs N       runs of each tool on each site; the table shows the run of median wall time (default 1)
#   --timeout S    longest run of one tool on one site, in seconds (default 600)
#   --sites LIST   comma-separated among rel,tls,abs,big,jobs (default all five; tls is the
#                  relative site over https, with throw-away certificates every tool is told to trust)
#   --cli PATH     measure this zorvel-cli instead of building build/release/zorvel-cli
#   --no-docs      print the table only; leave docs/ and README.md alone
#
# Installs what it needs with apt when missing (Debian), builds zorvel-cli (Release), writes
# the sites under build/bench, serves them with nginx (and our latency proxy in front of it)
# inside a private network namespace when the machine allows one, else on plain loopback,
# runs each tool in turn under /usr/bin/time -v, and writes docs/benchmark.md, the chart
# docs/benchmark.svg and the table in README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

large_mb=491 rtt_ms=20 runs=1 run_timeout=600 sites=rel,tls,abs,big,jobs cli="" docs=1
args=("$@")
while [ $# -gt 0 ]; do
  case $1 in
    --large-mb) large_mb=$2; shift 2 ;;
    --rtt-ms) rtt_ms=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --timeout) run_timeout=$2; shift 2 ;;
    --sites) sites=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --no-docs) docs=0; shift ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "bench: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done
for n in "$large_mb" "$rtt_ms" "$runs" "$run_timeout"; do
  case $n in ''|*[!0-9]*) echo "bench: $n is not a whole number" >&2; exit 2 ;; esac
done
if [ "$runs" -lt 1 ]; then echo "bench: --runs must be at least 1" >&2; exit 2; fi

work=$repo/build/bench

if [ -z "${ZORVEL_BENCH_INSIDE:-}" ]; then
  # Packages, when missing.
  packages=(wget wget2 time nginx-light iproute2 util-linux procps python3 openssl
            build-essential cmake ninja-build pkg-config libssl-dev)
  missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    echo "bench: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
    # nginx-light's package starts a system-wide server on port 80; the benchmark starts its own.
    if command -v systemctl >/dev/null 2>&1; then $sudo systemctl disable --now nginx >/dev/null 2>&1 || true; fi
    $sudo service nginx stop >/dev/null 2>&1 || true
  fi

  if [ -z "$cli" ]; then
    if [ ! -f build/release/build.ninja ]; then
      cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVEL_TESTS=OFF >/dev/null
    fi
    cmake --build build/release --target zorvel-cli -j2 >&2
    cli=$repo/build/release/zorvel-cli
  fi
  cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

  # A private network namespace has nothing else listening, so fixed ports are safe there.
  if [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
    netns="unshare -n"
  elif unshare -r -n true 2>/dev/null; then
    netns="unshare -r -n"
  else
    netns=""
  fi
  if [ -n "$netns" ]; then
    nginx_port=8080 proxy_port=8081 tls_port=8443 tls_proxy_port=8444
    network="private network namespace (\`$netns\`), its own loopback 127.0.0.1"
  else
    read -r nginx_port proxy_port tls_port tls_proxy_port <<<"$(python3 -c '
import socket
held = [socket.socket() for _ in range(4)]
for s in held: s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))')"
    network="plain loopback 127.0.0.1 (no private network namespace on this machine)"
  fi

  mkdir -p "$work/www"
  echo "bench: writing the sites under build/bench/www" >&2
  python3 bench/make_site.py "$work/www" rel 10 30 10 24000000
  python3 bench/make_site.py "$work/www" abs 10 30 10 24000000 "http://127.0.0.1:$proxy_port/"
  python3 bench/make_site.py "$work/www" big 20 50 10 "$((large_mb * 1000000))"
  # Throw-away certificates for the https site: a CA that only the benchmark's tools trust.
  if [ ! -f "$work/certs/good.pem" ]; then bash tests/net/make_certs.sh "$work/certs" >/dev/null; fi

  export ZORVEL_BENCH_INSIDE=1 ZORVEL_BENCH_CLI=$cli ZORVEL_BENCH_NGINX=$nginx_port \
    ZORVEL_BENCH_PROXY=$proxy_port ZORVEL_BENCH_TLS=$tls_port ZORVEL_BENCH_TLS_PROXY=$tls_proxy_port \
    ZORVEL_BENCH_NETWORK=$network ZORVEL_BENCH_NETNS=${netns:+1}
  if [ -n "$netns" ]; then
    echo "bench: entering a private network namespace" >&2
    exec $netns bash "$0" "${args[@]}"
  fi
  exec bash "$0" "${args[@]}"
fi

# From here on: inside the namespace (or on plain loopback), with the sites written.
cli=$ZORVEL_BENCH_CLI nginx_port=$ZORVEL_BENCH_NGINX proxy_port=$ZORVEL_BENCH_PROXY
tls_port=$ZORVEL_BENCH_TLS tls_proxy_port=$ZORVEL_BENCH_TLS_PROXY ca=$work/certs/ca.pem
if [ -n "${ZORVEL_BENCH_NETNS:-}" ]; then ip link set lo up; fi

run=$work/run
rm -rf "$run"
mkdir -p "$run/logs" "$run/time" "$run/out" "$run/home" "$run/ini" "$run/nginx"

cleanup() {
  if [ -f "$run/nginx/nginx.pid" ]; then kill "$(cat "$run/nginx/nginx.pid")" 2>/dev/null || true; fi
  for p in "$run"/proxy*.pid; do if [ -f "$p" ]; then kill "$(cat "$p")" 2>/dev/null || true; fi; done
  rm -rf "$run/out"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

user_line=""
if [ "$(id -u)" -eq 0 ]; then user_line="user root;"; fi
cat >"$run/nginx/nginx.conf" <<CONF
$user_line
worker_processes 2;
pid $run/nginx/nginx.pid;
error_log $run/logs/nginx-error.log;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $run/nginx/body;
  proxy_temp_path $run/nginx/proxy;
  fastcgi_temp_path $run/nginx/fastcgi;
  uwsgi_temp_path $run/nginx/uwsgi;
  scgi_temp_path $run/nginx/scgi;
  types { text/html html; image/jpeg jpg; }
  sendfile on;
  tcp_nopush on;
  keepalive_requests 100000;
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/www;
  }
  server {
    listen 127.0.0.1:$tls_port ssl;
    root $work/www;
    ssl_certificate $work/certs/good.pem;
    ssl_certificate_key $work/certs/good.key;
  }
}
CONF
nginx -c "$run/nginx/nginx.conf" -p "$run/nginx" </dev/null >"$run/logs/nginx.out" 2>&1
setsid python3 bench/latency_proxy.py "$proxy_port" "$nginx_port" "$rtt_ms" "$rtt_ms" \
  </dev/null >"$run/logs/proxy.log" 2>&1 &
echo $! >"$run/proxy.pid"
setsid python3 bench/latency_proxy.py "$tls_proxy_port" "$tls_port" "$rtt_ms" "$rtt_ms" \
  </dev/null >"$run/logs/proxy-tls.log" 2>&1 &
echo $! >"$run/proxy-tls.pid"
up=0
for _ in $(seq 1 100); do
  if python3 - "$nginx_port" "$proxy_port" "$tls_port" "$tls_proxy_port" 2>/dev/null <<'PY'
import socket, sys
for port in sys.argv[1:]:
    socket.create_connection(("127.0.0.1", int(port)), timeout=1).close()
PY
  then up=1; break; fi
  sleep 0.1
done
if [ "$up" -ne 1 ]; then
  echo "bench: the servers did not come up" >&2
  cat "$run"/logs/* >&2 || true
  exit 1
fi

# Every tool reads the site from memory, not from the disk.
find "$work/www" -type f -exec cat {} + >/dev/null

# The commit of the measured code: the last one outside the benchmark and the documents.
if [ "$cli" = "$repo/build/release/zorvel-cli" ]; then
  zorvel_version="built at commit $(git -C "$repo" log -1 --format=%h -- . ':!bench' ':!docs' ':!*.md' 2>/dev/null || echo '?')"
else
  zorvel_version="given with --cli"
fi
started=$(date +%s)
grouped() { python3 -c 'import sys; print(f"{int(sys.argv[1]):,}")' "$1"; }

keep_alive=0
if "$cli" --help 2>&1 | grep -q -- '--keep-alive'; then keep_alive=1; fi

results=$run/results.tsv meta=$run/meta.txt
: >"$results"
expected_of() { read -r count _ <"$work/www/$1.expected"; echo "$count"; }
mb_of() { read -r _ bytes <"$work/www/$1.expected"; echo "$((bytes / 1000000))"; }

# run_tool SITE TOOL EXPECTED COMMAND...: --runs timed runs, each in an empty download folder
# with a fresh home (no cookies or connection caches carried over); the run of median wall time
# goes into the results.
run_tool() {
  local site=$1 tool=$2 expected=$3
  shift 3
  local out=$run/out/$site-$tool status files n tries=$run/tries-$site-$tool.tsv
  : >"$tries"
  for n in $(seq 1 "$runs"); do
    rm -rf "$out" "$run/home"
    mkdir -p "$out" "$run/home"
    echo "bench: $site / $tool, run $n of $runs ..." >&2
    set +e
    (cd "$out" && HOME=$run/home /usr/bin/time -v -o "$run/time/$site-$tool-$n.txt" \
      timeout -k 10 "$run_timeout" "$@" >"$run/logs/$site-$tool-$n.log" 2>&1 </dev/null)
    status=$?
    set -e
    files=$(find "$out" -type f -iname '*.jpg' | wc -l)
    rm -rf "$out"
    python3 bench/report.py row "$tries" "$site" "$tool" "$run/time/$site-$tool-$n.txt" "$files" "$expected" "$status"
    echo "bench: $site / $tool, run $n: $(tail -n 1 "$tries" | cut -f3-)" >&2
  done
  python3 bench/report.py median "$tries" >>"$results"
}

zorvel=("$cli" -f Image -d 3 -o . --min-size 0 --ini-dir "$run/ini")
wget_cmd=(wget -r -l 3 -A jpg -q -e robots=off)
wget2_cmd=(wget2 -r -l 3 --max-threads 5 -A jpg -q --robots=off)

{
  echo "date $(date -u '+%Y-%m-%d %H:%M UTC')"
  model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
  echo "machine $(nproc) cores${model:+ ($model)}, $(free -g | awk '/^Mem:/ {print $2}') GB memory, Linux $(uname -r)"
  echo "load_before $(uptime | sed 's/.*load average: //')"
  echo "network $ZORVEL_BENCH_NETWORK"
  echo "command bench/run.sh${args[*]:+ ${args[*]}}"
  echo "versions zorvel-cli $zorvel_version," \
    "$(wget --version | head -n 1 | cut -d' ' -f1-3)," \
    "$(wget2 --version | head -n 1 | cut -d' ' -f1-3 | sed 's/ -$//')," \
    "$(nginx -v 2>&1 | sed 's/^nginx version: //')," \
    "Python $(python3 -c 'import platform; print(platform.python_version())')"
} >"$meta"

tools_for() { # SITE: the tool rows a site gets
  echo zorvel
  # https connections are always reused, so --keep-alive changes nothing there.
  if [ "$keep_alive" -eq 1 ] && [ "$1" != tls ]; then echo zorvel-ka; fi
  if [ "$1" != jobs ]; then echo wget; echo wget2; fi
}
tls_of() { # SITE TOOL: the options that make the tool trust the https site's CA
  if [ "$1" != tls ]; then return; fi
  case $2 in
    zorvel*) echo "--ca-file $ca" ;;
    wget*) echo "--ca-certificate=$ca" ;;
  esac
}

for site in ${sites//,/ }; do
  case $site in
    rel|abs)
      url=http://127.0.0.1:$proxy_port/$site/index.html
      expected=$(expected_of "$site")
      what=$([ "$site" = rel ] && echo relative || echo absolute)
      echo "site.$site ${what^} links, $rtt_ms ms round trip" >>"$meta"
      echo "detail.$site 311 pages (1 index, 10 sections, 300 leaf pages) and $(grouped "$expected") images ($(mb_of "$site") MB), every link $what, served by nginx through the latency proxy ($rtt_ms ms per connection and $rtt_ms ms per request)" >>"$meta"
      ;;
    tls)
      url=https://127.0.0.1:$tls_proxy_port/rel/index.html
      expected=$(expected_of rel)
      echo "site.tls Relative links over https, $rtt_ms ms round trip" >>"$meta"
      echo "detail.tls the relative site, served by nginx over TLS through the latency proxy, which also delays each flight of the TLS handshake; each tool is told to trust the throw-away CA (zorvel-cli --ca-file, wget and wget2 --ca-certificate)" >>"$meta"
      ;;
    big)
      url=http://127.0.0.1:$nginx_port/big/index.html
      expected=$(expected_of big)
      echo "site.big Large site, $(mb_of big) MB, no added latency" >>"$meta"
      echo "detail.big 1,021 pages (1 index, 20 sections, 1,000 leaf pages) and $(grouped "$expected") images ($(mb_of big) MB; --large-mb sets it, default 491), relative links, nginx straight on loopback" >>"$meta"
      ;;
    jobs)
      url=""
      for s in 01 02 03 04 05 06; do url+=" http://127.0.0.1:$nginx_port/big/s$s/index.html"; done
      expected=$(( $(expected_of big) * 6 / 20 ))
      echo "site.jobs 6 jobs, 100 workers (large site)" >>"$meta"
      echo "detail.jobs zorvel-cli --threads 100 with six start addresses, the first six sections of the large site (300 leaf pages, $(grouped "$expected") images), no added latency: for Zorvel's peak memory" >>"$meta"
      ;;
    *) echo "bench: unknown site $site" >&2; exit 2 ;;
  esac
  for tool in $(tools_for "$site"); do
    # shellcheck disable=SC2207
    extra=($(tls_of "$site" "$tool"))
    if [ "$site" = jobs ]; then extra=(--threads 100); fi
    # shellcheck disable=SC2086
    case $tool in
      zorvel) run_tool "$site" "$tool" "$expected" "${zorvel[@]}" "${extra[@]}" $url ;;
      zorvel-ka) run_tool "$site" "$tool" "$expected" "${zorvel[@]}" --keep-alive "${extra[@]}" $url ;;
      wget) run_tool "$site" "$tool" "$expected" "${wget_cmd[@]}" "${extra[@]}" $url ;;
      wget2) run_tool "$site" "$tool" "$expected" "${wget2_cmd[@]}" "${extra[@]}" $url ;;
    esac
  done
done

{
  echo "load_after $(uptime | sed 's/.*load average: //')"
  echo "duration $(( ($(date +%s) - started + 30) / 60 )) min"
  echo "runs $runs"
  echo "tool.zorvel Zorvel"
  if [ "$keep_alive" -eq 1 ]; then echo "tool.zorvel-ka Zorvel --keep-alive"; fi
  echo "tool.wget Wget"
  echo "tool.wget2 Wget2, 5 threads"
  echo "cmd.zorvel zorvel-cli -f Image -d 3 -o DIR --min-size 0 URL (6 jobs: --threads 100 URL1 ... URL6)"
  if [ "$keep_alive" -eq 1 ]; then echo "cmd.zorvel-ka zorvel-cli --keep-alive -f Image -d 3 -o DIR --min-size 0 URL"; fi
  echo "cmd.wget ${wget_cmd[*]} URL"
  echo "cmd.wget2 ${wget2_cmd[*]} URL"
} >>"$meta"

if [ "$docs" -eq 1 ]; then
  python3 bench/report.py write "$results" "$meta" docs/benchmark.md docs/benchmark.svg README.md
  echo "bench: wrote docs/benchmark.md, docs/benchmark.svg and the table in README.md" >&2
else
  python3 bench/report.py write "$results" "$meta" "$run/benchmark.md" "$run/benchmark.svg"
fi

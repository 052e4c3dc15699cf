#!/usr/bin/env bash
# Starts or stops the test servers on 127.0.0.1 for one build folder:
#   nginx (real HTTP/1.1: ranges, redirects, 404), Python's http.server (no ranges) and our
#   scripted fault server, each on a free port, over a generated site in DIR/www; and over
#   TLS with throw-away certificates (DIR/certs): nginx with a good certificate, with one for
#   another name, an expired one, a self-signed one and one from an unknown CA, and the
#   scripted server.
# Usage: servers.sh start|stop DIR
# start writes DIR/ports with lines "nginx PORT", "plain PORT", "scripted PORT", "root PATH",
# "tls PORT", "tls_wrongname PORT", "tls_expired PORT", "tls_selfsigned PORT",
# "tls_unknownca PORT", "tls_scripted PORT" and "ca PATH" (the test CA, PEM; ca.der beside it).
set -euo pipefail
action=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)

stop() {
  for pidfile in "$dir"/run/*.pid; do
    [ -f "$pidfile" ] || continue
    kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
  done
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

stop
rm -rf "$dir"
mkdir -p "$dir/www" "$dir/run" "$dir/logs"

# N distinct free ports: every socket is held until all are bound.
free_ports() {
  python3 -c '
import socket, sys
held = [socket.socket() for _ in range(int(sys.argv[1]))]
for s in held: s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))' "$1"
}
# plain http (nginx, http.server), then TLS: a good certificate and one for each kind of bad one.
read -r nginx_port plain_port tls_port wrongname_port expired_port selfsigned_port unknownca_port \
  <<<"$(free_ports 7)"
tls_ports=("$tls_port" "$wrongname_port" "$expired_port" "$selfsigned_port" "$unknownca_port")
bash "$here/make_certs.sh" "$dir/certs"
python3 "$here/make_site.py" "$dir/www" "$nginx_port" "$tls_port"

user_line=""
if [ "$(id -u)" -eq 0 ]; then user_line="user root;"; fi
cat >"$dir/nginx.conf" <<CONF
$user_line
worker_processes 1;
pid $dir/run/nginx.pid;
error_log $dir/logs/nginx-error.log;
events { worker_connections 256; }
http {
  access_log off;
  log_format request '\$request';
  log_format connection '\$connection \$request';
  client_body_temp_path $dir/run/body;
  proxy_temp_path $dir/run/proxy;
  fastcgi_temp_path $dir/run/fastcgi;
  uwsgi_temp_path $dir/run/uwsgi;
  scgi_temp_path $dir/run/scgi;
  types { text/html html; image/jpeg jpg; application/octet-stream bin; }
  server {
    listen 127.0.0.1:$nginx_port;
    root $dir/www;
    location = /moved301 { return 301 http://127.0.0.1:$nginx_port/page.html; }
    location = /moved302 { return 302 http://127.0.0.1:$nginx_port/dir/index.html; }
    location = /redirect-chain { return 302 http://127.0.0.1:$nginx_port/moved301; }
    location /slow/ { limit_rate 100k; }
    # Requests counted by the crawl tests: one line each, "GET /target HTTP/1.1".
    location /many/ { access_log $dir/logs/many.log request; }
    location /docs/ { access_log $dir/logs/docs.log request; }
    location /reuse/ { access_log $dir/logs/reuse.log connection; }
    location = /to-https { return 302 https://localhost:$tls_port/tls/index.html; }
  }
  server {
    listen 127.0.0.1:$tls_port ssl;
    ssl_certificate $dir/certs/good.pem;
    ssl_certificate_key $dir/certs/good.key;
    root $dir/www;
    location /slow/ { limit_rate 100k; }
    location = /to-http { return 302 http://127.0.0.1:$nginx_port/page.html; }
  }
  server { listen 127.0.0.1:$wrongname_port ssl; root $dir/www;
    ssl_certificate $dir/certs/wrongname.pem; ssl_certificate_key $dir/certs/wrongname.key; }
  server { listen 127.0.0.1:$expired_port ssl; root $dir/www;
    ssl_certificate $dir/certs/expired.pem; ssl_certificate_key $dir/certs/expired.key; }
  server { listen 127.0.0.1:$selfsigned_port ssl; root $dir/www;
    ssl_certificate $dir/certs/selfsigned.pem; ssl_certificate_key $dir/certs/selfsigned.key; }
  server { listen 127.0.0.1:$unknownca_port ssl; root $dir/www;
    ssl_certificate $dir/certs/unknownca.pem; ssl_certificate_key $dir/certs/unknownca.key; }
}
CONF
nginx -c "$dir/nginx.conf" -p "$dir" </dev/null >"$dir/logs/nginx.out" 2>&1

(cd "$dir/www" && exec setsid python3 -m http.server "$plain_port" --bind 127.0.0.1 \
  </dev/null >"$dir/logs/plain.log" 2>&1) &
echo $! >"$dir/run/plain.pid"

setsid python3 "$here/scripted_server.py" "$dir/run/scripted.port" </dev/null >"$dir/logs/scripted.log" 2>&1 &
echo $! >"$dir/run/scripted.pid"
setsid python3 "$here/scripted_server.py" "$dir/run/tls-scripted.port" "$dir/certs/good.pem" "$dir/certs/good.key" \
  </dev/null >"$dir/logs/tls-scripted.log" 2>&1 &
echo $! >"$dir/run/tls-scripted.pid"

# Wait (bounded) until every server answers.
for _ in $(seq 1 100); do
  if [ -s "$dir/run/scripted.port" ] && [ -s "$dir/run/tls-scripted.port" ] &&
     python3 - "$nginx_port" "$plain_port" "${tls_ports[@]}" "$(cat "$dir/run/scripted.port")" \
       "$(cat "$dir/run/tls-scripted.port")" <<'PY' 2>/dev/null
import socket, sys
for port in sys.argv[1:]:
    socket.create_connection(("127.0.0.1", int(port)), timeout=1).close()
PY
  then
    printf 'nginx %s\nplain %s\nscripted %s\nroot %s\n' "$nginx_port" "$plain_port" \
      "$(cat "$dir/run/scripted.port")" "$dir/www" >"$dir/ports"
    printf 'tls %s\ntls_wrongname %s\ntls_expired %s\ntls_selfsigned %s\ntls_unknownca %s\ntls_scripted %s\nca %s\n' \
      "$tls_port" "$wrongname_port" "$expired_port" "$selfsigned_port" "$unknownca_port" \
      "$(cat "$dir/run/tls-scripted.port")" \
      "$dir/certs/ca.pem" >>"$dir/ports"
    exit 0
  fi
  sleep 0.1
done
echo "servers.sh: the servers did not come up" >&2
cat "$dir"/logs/* >&2 || true
stop
exit 1

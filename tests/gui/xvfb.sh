#!/usr/bin/env bash
# Starts or stops an Xvfb display for the window tests of one build folder.
# Usage: xvfb.sh start|stop DIR    (start writes the display, such as :93, to DIR/display)
set -euo pipefail
action=$1
dir=$2
mkdir -p "$dir"
if [ -f "$dir/xvfb.pid" ]; then
  kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
  rm -f "$dir/xvfb.pid" "$dir/display"
fi
[ "$action" = stop ] && exit 0

for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  for _ in $(seq 1 50); do
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      echo ":$n" >"$dir/display"
      exit 0
    fi
    kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
    sleep 0.1
  done
  kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
done
echo "xvfb.sh: no display could be started" >&2
exit 1

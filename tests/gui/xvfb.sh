#!/usr/bin/env bash
# Starts or stops an Xvfb display for the window tests of one build folder.
# Usage: xvfb.sh start|stop DIR    (start writes the display, such as :93, to DIR/display)
# Xvfb picks a free display number itself (-displayfd), so several runs never collide.
set -euo pipefail
action=$1
dir=$2
mkdir -p "$dir"
if [ -f "$dir/xvfb.pid" ]; then
  kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
  rm -f "$dir/xvfb.pid" "$dir/display"
fi
[ "$action" = stop ] && exit 0

rm -f "$dir/number"
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/number" </dev/null >"$dir/xvfb.log" 2>&1 &
echo $! >"$dir/xvfb.pid"
for _ in $(seq 1 100); do
  if [ -s "$dir/number" ]; then
    echo ":$(tr -d '[:space:]' <"$dir/number")" >"$dir/display"
    exit 0
  fi
  kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
  sleep 0.1
done
echo "xvfb.sh: Xvfb did not start" >&2
cat "$dir/xvfb.log" >&2 || true
exit 1

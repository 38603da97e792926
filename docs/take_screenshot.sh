#!/usr/bin/env bash
# Takes docs/window.png: the real window under Xvfb after the sample data has been formatted.
# Needs the built program (./setup.sh run or test) and Debian's imagemagick and x11-apps.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="$root/build/src/dialwright"
work="$(mktemp -d)"
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
read -r -t 10 number <&3
export DISPLAY=":$number" HOME="$work" LANG=C.UTF-8
unset QT_QPA_PLATFORM
"$program" 2>/dev/null &
app=$!
for _ in $(seq 100); do
  window="$(xdotool search --name '^Dialwright$' 2>/dev/null | head -n 1)" && [ -n "$window" ] && break
  sleep 0.1
done
eval "$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print "x=" $4} /Absolute upper-left Y/ {print "y=" $4}')"
# Load Sample/Example Data, then Start Formatting Phone Numbers, then close "Done."
xdotool mousemove $((x + 400)) $((y + 200)) click 1
sleep 0.3
xdotool mousemove $((x + 260)) $((y + 437)) click 1
sleep 0.8
xdotool key Return
sleep 0.3
xdotool mousemove $((x + 700)) $((y + 300))
sleep 0.3
xwd -silent -id "$window" | convert xwd:- "$root/docs/window.png"
echo "wrote docs/window.png"

#!/bin/sh
# A screenshot of full-screen playback with the control panel shown, taken under Xvfb with
# ImageMagick's import.
#   tests/fullscreen/screenshot.sh [build folder] [output folder]
# The build folder must hold kadrel_fullscreen_shot (cmake --build <build> --target
# kadrel_fullscreen_shot); the PNG goes to the output folder (default: <build>/screenshots).
set -eu

build=$(cd "${1:-build}" && pwd)
out=${2:-$build/screenshots}
driver=$build/kadrel_fullscreen_shot
[ -x "$driver" ] || { echo "missing $driver" >&2; exit 1; }
mkdir -p "$out"

# Xvfb picks a free display number and writes it to the descriptor.
displayfile=$(mktemp)
log=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$displayfile" "$log"' EXIT
while [ ! -s "$displayfile" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"
export QT_QPA_PLATFORM=xcb

"$driver" >"$log" &
app=$!
# The driver says when the panel is up; it hides again four seconds later.
tries=0
until grep -q ready "$log"; do
    tries=$((tries + 1))
    if [ $tries -gt 150 ] || ! kill -0 $app 2>/dev/null; then
        echo "the panel did not come up" >&2
        exit 1
    fi
    sleep 0.1
done
sleep 0.5
import -window root "$out/fullscreen-panel.png"
wait $app || true
echo "$out/fullscreen-panel.png"

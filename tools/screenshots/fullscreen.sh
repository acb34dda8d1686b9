#!/bin/sh
# A screenshot of full-screen playback with the control panel shown, taken under Xvfb with
# ImageMagick's import.
#   tools/screenshots/fullscreen.sh [build folder] [output folder]
# The build folder must hold kadrel_fullscreen_shot (cmake --build <build> --target
# kadrel_fullscreen_shot); the PNG goes to the output folder (default: <build>/screenshots).
driver=kadrel_fullscreen_shot
screen=1280x720x24
. "$(dirname "$0")/xvfb.sh"

"$build/$driver" >"$work/log" &
app=$!
# The driver says when the panel is up; it hides again four seconds later.
tries=0
until grep -q ready "$work/log"; do
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

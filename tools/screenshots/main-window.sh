#!/bin/sh
# Screenshots of the real main window under Xvfb, from an existing build (nothing is built):
#   kadrel-startup.png  build/kadrel as a new user starts it (tip of the day over the window)
#   kadrel-empty.png    the main window with no media
#   kadrel-playing.png  the window with a generated clip open and playing, after a frame was
#                       saved through the capture command (frame-on-show.bmp beside it)
# Usage: tools/screenshots/main-window.sh [BUILD-DIR [OUTPUT-DIR]]   (defaults: build, BUILD-DIR/screenshots)
set -eu

build=$(cd "${1:-build}" && pwd)
out=${2:-$build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
for tool in Xvfb import xwininfo; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (xvfb, imagemagick, x11-utils)" >&2; exit 1; }
done

work=$(mktemp -d)
display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pids=""
cleanup() {
    for pid in $pids $xvfb; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
export DISPLAY="$display" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
export QT_QPA_PLATFORM=xcb QT_AUDIO_BACKEND=none
sleep 1

# The id of the first window whose title starts with $1, waiting up to 10 s for it.
window_id() {
    for _ in $(seq 50); do
        id=$(xwininfo -root -tree | awk -v t="\"$1" 'index($0, t) { print $1; exit }')
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.2
    done
    echo "no window titled $1" >&2
    exit 1
}

"$build/kadrel" &
pids="$!"
window_id "Kadrel - Video Image Extractor" >/dev/null
sleep 1
import -window root "$out/kadrel-startup.png"
kill $pids
pids=""

mkfifo "$work/said"
"$build/kadrel_main_window_shot" "$out" >"$work/said" &
pids="$!"
exec 3<"$work/said"
while read -r line <&3; do
    echo "$line"
    case $line in
        EMPTY) import -window "$(window_id "Kadrel - Video Image Extractor")" "$out/kadrel-empty.png" ;;
        READY) break ;;
    esac
done
import -window "$(window_id "Kadrel - Video Image Extractor(clip.avi)")" "$out/kadrel-playing.png"
echo "screenshots in $out"

#!/bin/sh
# Screenshots of the tip window (at start-up, over the disabled main window), the media
# information window and the About box, taken under Xvfb with ImageMagick's import.
#   tests/dialogs/screenshots.sh [build folder] [output folder]
# The build folder must hold kadrel_dialog_gallery (cmake --build <build> --target
# kadrel_dialog_gallery); the PNGs go to the output folder (default: <build>/screenshots).
set -eu

build=$(cd "${1:-build}" && pwd)
out=${2:-$build/screenshots}
gallery=$build/kadrel_dialog_gallery
[ -x "$gallery" ] || { echo "missing $gallery" >&2; exit 1; }
mkdir -p "$out"

# Xvfb picks a free display number and writes it to the descriptor.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x600x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$displayfile"' EXIT
while [ ! -s "$displayfile" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"
export QT_QPA_PLATFORM=xcb

# shot <dialog> <window title>: the whole screen, and the dialog's window alone.
shot() {
    "$gallery" "$1" 6 &
    app=$!
    sleep 2
    import -window root "$out/$1-screen.png"
    import -window "$2" "$out/$1.png"
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
}

shot startup "Tip of the Day"
shot info "Media info..."
shot about "About Tessaravelt(Home Edition)"
ls -1 "$out"/*.png

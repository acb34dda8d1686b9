#!/bin/sh
# Screenshots of the tip window (at start-up, over the disabled main window), the media
# information window and the About box, taken under Xvfb with ImageMagick's import.
#   tools/screenshots/dialogs.sh [build folder] [output folder]
# The build folder must hold kadrel_dialog_gallery (cmake --build <build> --target
# kadrel_dialog_gallery); the PNGs go to the output folder (default: <build>/screenshots).
driver=kadrel_dialog_gallery
screen=1024x600x24
. "$(dirname "$0")/xvfb.sh"

# shot <dialog> <window title>: the whole screen, and the dialog's window alone.
shot() {
    "$build/$driver" "$1" 6 &
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
ls -1 "$out"/startup*.png "$out"/info*.png "$out"/about*.png

#!/bin/sh
# The built kadrel as a new user meets it, on Xvfb under the openbox window manager, driven by
# xdotool; checks window captions, the files written and screenshot pixels (ImageMagick).
#   desktop.sh KADREL CLIP-MAKER
# Exit 0 passed, 1 failed, 77 skipped (Xvfb cannot start here). With KADREL_E2E_SHOTS set to a
# folder, a screenshot of each stage is left there for a person to look at.
set -u

kadrel=$1
make_clip=$2
work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAILED: $*" >&2
    [ -s "$work/kadrel.log" ] && sed 's/^/kadrel: /' "$work/kadrel.log" >&2
    [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null &&
        cp "$work/failure.png" "${TMPDIR:-/tmp}/kadrel-e2e-failure.png" &&
        echo "screen at the failure: ${TMPDIR:-/tmp}/kadrel-e2e-failure.png" >&2
    exit 1
}
step() { echo "== $*"; }
shot() {
    [ -n "${KADREL_E2E_SHOTS:-}" ] && import -window root "$KADREL_E2E_SHOTS/$1.png"
    return 0
}

for tool in openbox xdotool xclip import convert compare xprop xwininfo; do
    command -v $tool >/dev/null || fail "$tool is missing (scripts/setup-debian.sh installs it)"
done

# Xvfb on a free display (it writes the number to the descriptor), at 96 dots per inch.
if ! command -v Xvfb >/dev/null; then
    echo "SKIPPED: Xvfb is not installed, the desktop test cannot run"
    exit 77
fi
Xvfb -displayfd 3 -screen 0 1024x600x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids="$!"
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$pids" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "SKIPPED: Xvfb cannot start here: $(tail -n 1 "$work/xvfb.log")"
    exit 77
fi
export DISPLAY=":$(cat "$work/display")"

# Fresh settings and a private runtime folder; no sound device.
mkdir -p "$work/home" "$work/config" "$work/run" "$work/out"
chmod 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
export QT_QPA_PLATFORM=xcb QT_AUDIO_BACKEND=none

openbox >"$work/openbox.log" 2>&1 &
pids="$pids $!"

# wait_for SECONDS COMMAND...: polls every 0.1 s until the command succeeds.
wait_for() {
    limit=$(($1 * 10))
    shift
    for _ in $(seq "$limit"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
# The visible windows titled exactly $1.
windows() { xdotool search --onlyvisible --name "^$(printf '%s' "$1" | sed 's/[.()]/\\&/g')\$"; }
window() { windows "$1" | head -n 1; }
shown() { [ -n "$(window "$1")" ]; }
gone() { [ -z "$(window "$1")" ]; }
count() { [ "$(windows "$1" | wc -l)" -eq "$2" ]; }
# Makes the window active and presses the keys there.
keys() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
    shift
    xdotool key --delay 60 "$@"
}
# The window's client area on the screen: "x,y wxh".
place() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x "," y " " w "x" h }'
}
# pixel X Y: the colour of a screen pixel as "r,g,b"; lit X Y: 1 when it is white (each
# component 220 or more), 0 when it is black (each 40 or less), else the colour.
pixel() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "1x1+$1+$2" -depth 8 txt:- |
        sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1,\2,\3/p'
}
lit() {
    pixel "$1" "$2" | awk -F, '{ if ($1 >= 220 && $2 >= 220 && $3 >= 220) print 1;
        else if ($1 <= 40 && $2 <= 40 && $3 <= 40) print 0; else print $0 }'
}
# picture: a fingerprint of the picture box of the main window $main.
picture() {
    import -window "$main" "$work/main.png"
    convert "$work/main.png" -crop 300x200+20+$((menu + 20)) +repage rgb:- | md5sum
}
wait_for 10 xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"

main_title="Kadrel - Video Image Extractor"
clip="$work/clip.avi"
"$make_clip" "$clip" || fail "the test clip could not be made"

step "start-up with fresh settings: the tip of the day over the main window"
"$kadrel" >"$work/kadrel.log" 2>&1 &
pids="$pids $!"
wait_for 15 shown "Tip of the Day" || fail "no tip of the day"
shot 1-start-up
keys "$(window "Tip of the Day")" Return
wait_for 5 gone "Tip of the Day" || fail "the tip window stays"
main=$(window "$main_title")
[ -n "$main" ] || fail "no main window"
# The menu bar's height: the window is the 355-pixel client area and the menu bar.
menu=$(($(xdotool getwindowgeometry "$main" | awk -F'[ x]+' '/Geometry/ { print $4 }') - 355))

open_clip() {
    keys "$main" ctrl+o
    wait_for 10 shown "Open..." || fail "no Open dialog"
    xdotool type --delay 20 "$clip"
    xdotool key Return
    wait_for 10 shown "$main_title(clip.avi)" || fail "the clip did not open"
}
# The visible windows of the program, menus included.
program_windows() { xdotool search --onlyvisible --class kadrel | wc -l; }

if ! command -v xdg-open >/dev/null; then
    step "F1 with no program to open help.htm: a message says why"
    keys "$main" F1
    wait_for 10 shown "Kadrel" || fail "no message when help.htm cannot be opened"
    shot 1-no-help-program
    keys "$(window Kadrel)" Return
    wait_for 5 gone "Kadrel" || fail "the message stays"
fi

step "open a generated clip"
open_clip

step "play, then pause with F4: the picture moves, then stands"
sleep 0.5
before=$(picture); sleep 0.6; after=$(picture)
[ "$before" != "$after" ] || fail "the picture does not move while playing"
keys "$main" F4
sleep 0.3
before=$(picture); sleep 0.6; after=$(picture)
[ "$before" = "$after" ] || fail "the picture moves after the pause"

step "F9: Save Frame As, a new file name, the create prompt answered"
keys "$main" F9
wait_for 10 shown "Save Frame As..." || fail "no Save Frame As dialog"
xdotool type --delay 20 "$work/shot"
xdotool key Return
wait_for 10 count "Save Frame As..." 2 || fail "no prompt to create the file"
shot 2-create-prompt
xdotool key Return
wait_for 10 gone "Save Frame As..." || fail "the Save dialog stays"
wait_for 5 test -s "$work/shot.bmp" || fail "no shot.bmp written"
[ "$(stat -c %s "$work/shot.bmp")" -eq $((54 + 4 * 160 * 120)) ] ||
    fail "shot.bmp has the wrong size"

step "frame by frame: three back, one on, saved; Copy Frame puts the same picture on the clipboard"
keys "$main" shift+F7 shift+F7 ctrl+Left ctrl+Right
keys "$main" F9
wait_for 10 shown "Save Frame As..." || fail "no Save Frame As dialog"
xdotool type --delay 20 "$work/picked"
xdotool key Return
wait_for 10 count "Save Frame As..." 2 || fail "no prompt to create the file"
xdotool key Return
wait_for 10 gone "Save Frame As..." || fail "the Save dialog stays"
wait_for 5 test -s "$work/picked.bmp" || fail "no picked.bmp written"
[ "$(compare -metric AE "$work/shot.bmp" "$work/picked.bmp" null: 2>&1)" != 0 ] ||
    fail "the frame steps did not move the picture"
keys "$main" ctrl+shift+c
wait_for 5 sh -c "xclip -selection clipboard -t image/png -o >'$work/copied.png'" ||
    fail "no image on the clipboard after Copy Frame"
differ=$(compare -metric AE "$work/picked.bmp" "$work/copied.png" null: 2>&1)
[ "$differ" = 0 ] || fail "the clipboard image differs from the saved frame: $differ"

step "Ctrl+C after the Save dialog closes the media"
keys "$main" ctrl+c
wait_for 5 shown "$main_title" || fail "Ctrl+C did not close the media"

step "a menu closed with Esc, then Ctrl+I"
open_clip
xdotool windowactivate --sync "$main"
windows_before=$(program_windows)
xdotool mousemove --window "$main" 20 $((menu / 2)) click 1
sleep 0.5
shot 3-file-menu
xdotool key Escape
sleep 0.3
# The menu bar keeps no keyboard: a typed "t" opens no Tools menu.
xdotool key t
sleep 0.3
[ "$(program_windows)" -eq "$windows_before" ] || fail "a typed letter opened a menu after Esc"
xdotool key ctrl+i
wait_for 5 shown "Media info..." || fail "Ctrl+I did nothing after a menu was closed with Esc"
shot 4-media-info
keys "$(window "Media info...")" Escape
wait_for 5 gone "Media info..." || fail "the information window stays"

step "full screen: the picture between black bars, the panel on a mouse move for 4 s, Esc back"
xdotool mousemove 5 5
before=$(place "$main")
keys "$main" ctrl+f
wait_for 10 gone "$main_title(clip.avi)" || fail "the main window stays in full screen"
wait_for 5 count "Form1" 1 || fail "no full-screen window"
full=$(place "$(window Form1)")
[ "$full" = "0,0 1024x600" ] || fail "full screen is $full"
sleep 0.5
shot 5-full-screen
# A 4:3 picture on a 1024 x 600 screen: 800 pixels wide from x = 112 between black bars;
# its top-left block (200 x 150) is white, where a stretched picture would be white from x = 0.
for probe in "50 60 0 left bar" "120 60 1 top-left block" "300 60 1 top-left block" \
    "980 300 0 right bar" "850 60 0 top-right block"; do
    set -- $probe
    [ "$(lit "$1" "$2")" = "$3" ] || fail "at $1,$2 ($4) the screen shows $(pixel "$1" "$2")"
done
xdotool mousemove 500 300
sleep 0.1
xdotool mousemove 510 310
wait_for 3 count "Form1" 2 || fail "no panel after a mouse move"
shot 6-panel
shown_at=$(date +%s)
wait_for 8 count "Form1" 1 || fail "the panel does not hide"
[ $(($(date +%s) - shown_at)) -ge 3 ] || fail "the panel hid before 4 s"
xdotool key Escape
wait_for 5 shown "$main_title(clip.avi)" || fail "Esc did not leave full screen"
sleep 0.5
shot 7-back
after=$(place "$main")
[ "$before" = "$after" ] || fail "the main window was at $before, came back at $after"

step "a From..To run: frames 5 to 10 into a new folder, then the completion message"
keys "$main" alt+d ctrl+a
xdotool type --delay 10 "$work/out/run"
# The From..To option, 5160 + 120 twips from the left and 2280 down (15 twips a pixel).
xdotool mousemove --window "$main" 380 $((menu + 164)) click 1
xdotool key --delay 60 Tab Right Right Right Right Right Tab Home Right Right Right Right alt+b
wait_for 20 shown "Cinevra" || fail "no completion message"
shot 8-run-complete
for frame in 5 10; do
    [ "$(stat -c %s "$work/out/run/frame$frame.bmp" 2>/dev/null)" = $((54 + 4 * 160 * 120)) ] ||
        fail "frame$frame.bmp missing or of the wrong size"
done
[ ! -e "$work/out/run/frame4.bmp" ] && [ ! -e "$work/out/run/frame11.bmp" ] ||
    fail "frames outside 5..10 written: $(ls "$work/out/run")"
keys "$(window Cinevra)" Return
wait_for 5 gone "Cinevra" || fail "the completion message stays"

step "an output folder of 300 characters that cannot be made: the message fits the screen"
long=/proc/no-such-folder
while [ ${#long} -lt 300 ]; do long="$long/folder${#long}"; done
keys "$main" alt+d ctrl+a
xdotool type --delay 5 "$long"
xdotool key alt+b
box="Kadrel - CreatePath Function"
wait_for 10 shown "$box" || fail "no message for the folder that cannot be made"
shot 9-long-path
set -- $(place "$(window "$box")" | tr ',x' '  ')
# The client area inside the screen, with room above it for the title bar.
[ "$1" -ge 0 ] && [ "$2" -ge 10 ] && [ $(($1 + $3)) -le 1024 ] && [ $(($2 + $4)) -le 600 ] ||
    fail "the message box lies at $1,$2 ${3}x$4, not on the 1024 x 600 screen"
keys "$(window "$box")" Return
wait_for 5 gone "$box" || fail "the message stays"

echo "PASSED"

# Sourced by the screenshot scripts, which set $driver (the executable they run) and $screen
# (Xvfb's screen, e.g. 1280x720x24) first. Reads the script's [build [outdir]] arguments into
# $build and $out, makes $work for temporary files, and starts Xvfb on a free display with Qt
# on xcb; Xvfb and $work go when the script exits.
set -eu

build=$(cd "${1:-build}" && pwd)
out=${2:-$build/screenshots}
[ -x "$build/$driver" ] || {
    echo "missing $build/$driver (cmake --build $build --target $driver)" >&2
    exit 1
}
mkdir -p "$out"
work=$(mktemp -d)
# Xvfb picks a free display number and writes it to the descriptor.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
while [ ! -s "$work/display" ]; do
    kill -0 $xvfb 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb

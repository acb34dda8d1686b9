# Sourced by the benchmark scripts:  . "$(dirname "$0")/start.sh" PROGRAM NAME [BUILD_DIR]
# Sets build (BUILD_DIR, default build/ beside bench/), bench (the program in it) and work (a
# new folder under $TMPDIR named after NAME), after checking that the program is built and the
# ffmpeg command-line tool, which makes the clips, is there.

build=${3:-$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../build}
bench=$build/$1
[[ -x $bench ]] || { echo "no $bench: build the $1 target first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "the ffmpeg command-line tool is needed" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kadrel-$2.XXXXXX")

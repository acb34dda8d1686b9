#!/usr/bin/env bash
# Times the capture settings frame's own bulk run (kadrel-window-bench: the Begin Capture
# handler on a shown offscreen window, with its yields, counter and progress bar) against
# `kadrel-bench capture` and `ffmpeg -i CLIP -f image2 OUT/frame%d.bmp`, on the 1080p clip of
# vs-ffmpeg.sh: 20 s of 25 fps H.264 with B-frames (GOP 50). Five runs each.
# Prints frames/s of each and the ratio window / kadrel-bench, which should stay >= 0.90.
#
# The two Kadrel programs report the run itself (opening the file not counted); ffmpeg is
# timed as a whole process. The files go to memory (/dev/shm when there is one), so that disk
# write-back after one program does not slow the next; an untimed run comes first. Other work
# on the machine shows as single slow runs: the median run of each is printed too.
#
#   bench/window-capture.sh [BUILD_DIR]     (default: build/ beside this folder)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
bench=$build/kadrel-bench
window=$build/kadrel-window-bench
for program in "$bench" "$window"; do
    [[ -x $program ]] || { echo "no $program: build it first" >&2; exit 1; }
done
command -v ffmpeg >/dev/null || { echo "the ffmpeg command-line tool is needed" >&2; exit 1; }

memory=/dev/shm
[[ -d $memory && -w $memory ]] || memory=${TMPDIR:-/tmp}
work=$(mktemp -d "$memory/kadrel-window-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "making the clip in $work"
ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=25 -t 20 \
    -c:v libx264 -preset veryfast -bf 3 -g 50 -pix_fmt yuv420p "$work/hd.mp4"

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }

# kadrel PROGRAM: a run into an empty folder; prints "<frames> <seconds>" of its last line.
kadrel() {
    rm -rf "$work/out" && mkdir "$work/out"
    "$1" capture "$work/hd.mp4" "$work/out" | tail -n 1 |
        sed -E 's/^frames=([0-9]+) seconds=([0-9.]+).*/\1 \2/'
}

# The window driver takes no sub-command.
window_run() {
    rm -rf "$work/out" && mkdir "$work/out"
    QT_QPA_PLATFORM=offscreen "$window" "$work/hd.mp4" "$work/out" | tail -n 1 |
        sed -E 's/^frames=([0-9]+) seconds=([0-9.]+).*/\1 \2/'
}

ffmpeg_run() {
    rm -rf "$work/out" && mkdir "$work/out"
    local start end
    start=$(now)
    ffmpeg -v error -i "$work/hd.mp4" -f image2 "$work/out/frame%d.bmp"
    end=$(now)
    echo "$(find "$work/out" -name 'frame*.bmp' | wc -l) $(calc "$end - $start")"
}

# Untimed: the first 4 GB written make the kernel free cached memory for them, which would
# be charged to whichever program came first.
kadrel "$bench" >/dev/null

declare -A frames=([window]=0 [bench]=0 [ffmpeg]=0) seconds=([window]=0 [bench]=0 [ffmpeg]=0)
declare -A runs=([window]= [bench]= [ffmpeg]=) mean=() median=()

# timed ROUND WHO: one timed run, printed and added to WHO's figures.
timed() {
    local f s fps
    case $2 in
        window) read -r f s < <(window_run) ;;
        bench) read -r f s < <(kadrel "$bench") ;;
        ffmpeg) read -r f s < <(ffmpeg_run) ;;
    esac
    fps=$(calc "$f / $s")
    printf 'run %d  %-13s %4d frames %7.2f s %7.2f fps\n' "$1" "$2:" "$f" "$s" "$fps"
    frames[$2]=$((frames[$2] + f))
    seconds[$2]=$(calc "${seconds[$2]} + $s")
    runs[$2]+="$fps "
}

# The two Kadrel programs in pairs, the first of a pair changing each round; ffmpeg after
# them, since the run that follows an ffmpeg run is slowed for either program.
for i in 1 2 3 4 5; do
    if ((i % 2)); then pair=(window bench); else pair=(bench window); fi
    for who in "${pair[@]}"; do timed "$i" "$who"; done
done
for i in 1 2 3 4 5; do timed "$i" ffmpeg; done

# summary KIND ARRAY: one line of figures from the named array (mean or median).
summary() {
    local -n fps=$2
    local ratio
    ratio=$(calc "${fps[window]} / ${fps[bench]}")
    printf 'hd.mp4 %-4s  window %.2f fps  kadrel-bench %.2f fps  ffmpeg %.2f fps' \
        "$1" "${fps[window]}" "${fps[bench]}" "${fps[ffmpeg]}"
    printf '  window/bench %.3f\n' "$ratio"
}
for who in window bench ffmpeg; do
    mean[$who]=$(calc "${frames[$who]} / ${seconds[$who]}")
    median[$who]=$(tr ' ' '\n' <<<"${runs[$who]}" | sed '/^$/d' | sort -g | sed -n 3p)  # of 5
done
summary mean mean
summary median median

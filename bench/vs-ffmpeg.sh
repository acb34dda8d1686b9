#!/usr/bin/env bash
# Times `kadrel-bench capture` against `ffmpeg -i CLIP -f image2 OUT/frame%d.bmp` on two
# generated clips: 20 s of 1080p 25 fps H.264 with B-frames (GOP 50), and 20 s of 640x480
# MPEG-4 Part 2 in AVI. Three runs each, alternating; prints frames/s of both and the ratio.
#
#   bench/vs-ffmpeg.sh [BUILD_DIR]     (default: build/ beside this folder)
#
# Clips and frames go to a folder under $TMPDIR (default /tmp), so the disk takes part;
# TMPDIR=/dev/shm measures decoding, conversion and writing without the disk.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
bench=$build/kadrel-bench
[[ -x $bench ]] || { echo "no $bench: build the kadrel-bench target first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "the ffmpeg command-line tool is needed" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kadrel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "making clips in $work"
ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=25 -t 20 \
    -c:v libx264 -preset veryfast -bf 3 -g 50 -pix_fmt yuv420p "$work/hd.mp4"
ffmpeg -v error -f lavfi -i testsrc2=size=640x480:rate=25 -t 20 \
    -c:v mpeg4 -q:v 3 -g 50 "$work/sd.avi"

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }

# run COMMAND...: runs with an empty output folder, prints "<files> <seconds>".
run() {
    rm -rf "$work/out" && mkdir "$work/out"
    sync  # start every run without the previous run's writes still queued for the disk
    local start end
    start=$(now)
    "$@" >/dev/null
    end=$(now)
    echo "$(find "$work/out" -name 'frame*.bmp' | wc -l) $(calc "$end - $start")"
}

for clip in hd.mp4 sd.avi; do
    # One untimed run of each first: the clip, the libraries and the memory for the page
    # cache are then ready for both, so no timed run pays for them alone.
    run "$bench" capture "$work/$clip" "$work/out" >/dev/null
    run ffmpeg -v error -i "$work/$clip" -f image2 "$work/out/frame%d.bmp" >/dev/null
    kadrel_frames=0 kadrel_seconds=0 ffmpeg_frames=0 ffmpeg_seconds=0
    for i in 1 2 3; do
        read -r f s < <(run "$bench" capture "$work/$clip" "$work/out")
        printf '%s run %d  kadrel-bench: %4d frames %7.2f s %7.2f fps\n' "$clip" "$i" "$f" "$s" \
            "$(calc "$f / $s")"
        kadrel_frames=$((kadrel_frames + f))
        kadrel_seconds=$(calc "$kadrel_seconds + $s")
        read -r f s < <(run ffmpeg -v error -i "$work/$clip" -f image2 "$work/out/frame%d.bmp")
        printf '%s run %d  ffmpeg:       %4d frames %7.2f s %7.2f fps\n' "$clip" "$i" "$f" "$s" \
            "$(calc "$f / $s")"
        ffmpeg_frames=$((ffmpeg_frames + f))
        ffmpeg_seconds=$(calc "$ffmpeg_seconds + $s")
    done
    kadrel_fps=$(calc "$kadrel_frames / $kadrel_seconds")
    ffmpeg_fps=$(calc "$ffmpeg_frames / $ffmpeg_seconds")
    printf '%s  kadrel-bench %.2f fps  ffmpeg %.2f fps  ratio %.2f\n' "$clip" "$kadrel_fps" \
        "$ffmpeg_fps" "$(calc "$kadrel_fps / $ffmpeg_fps")"
done

#!/usr/bin/env bash
# Times Next Frame and Previous Frame with kadrel-step-bench on 30 s of 1080p testsrc2 with
# noise, H.264 preset medium, a keyframe every 2 s (-g 60 at 30 fps) and 3 B-frames: the
# previous steps walk back through a whole GOP from its last picture. Prints the bench's
# lines: median and worst milliseconds per direction, peak RSS while stepping back.
#
#   bench/step.sh [BUILD_DIR]     (default: build/ beside this folder)
set -euo pipefail

. "$(dirname "$0")/start.sh" kadrel-step-bench step "$@"
trap 'rm -rf "$work"' EXIT

echo "making the clip in $work"
ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=30 \
    -vf noise=alls=20 -c:v libx264 -preset medium -g 60 -bf 3 -pix_fmt yuv420p \
    "$work/hd.mp4"
"$bench" "$work/hd.mp4" 20

#!/usr/bin/env bash
# Plays two clips with sound through a private PulseAudio null sink while both cores are kept
# busy by two spinning shells, with kadrel-play-bench: 20 s of 1080p 25 fps H.264 with a
# 440 Hz AAC tone, and 8 s of 1080p whose tone lasts 2 s (the picture must reach its end).
# Prints, per clip, frames painted, real time and the longest gap in what the sink played
# (recorded from its monitor with parec, package pulseaudio-utils).
#
#   bench/play-under-load.sh [BUILD_DIR]     (default: build/ beside this folder)
#   IDLE=1 bench/play-under-load.sh          the same without the spinning shells
set -euo pipefail

. "$(dirname "$0")/start.sh" kadrel-play-bench play "$@"
chmod 700 "$work"
spinners=()
cleanup() {
    for pid in "${spinners[@]}"; do kill "$pid" 2>/dev/null || true; done
    [[ -f $work/pulse/pid ]] && kill "$(cat "$work/pulse/pid")" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "making clips in $work"
ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=25 -f lavfi -i sine=f=440:r=48000 \
    -t 20 -c:v libx264 -preset veryfast -bf 3 -g 50 -pix_fmt yuv420p -c:a aac "$work/hd.mp4"
ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=25:d=8 \
    -f lavfi -i sine=f=440:r=48000:d=2 -c:v libx264 -preset veryfast -bf 3 -g 50 \
    -pix_fmt yuv420p -c:a aac "$work/short-sound.mp4"

export XDG_RUNTIME_DIR=$work PULSE_SERVER=unix:$work/pulse/native
pulseaudio -D -n --exit-idle-time=-1 --load=module-null-sink \
    --load=module-native-protocol-unix 2>/dev/null

if [[ -z ${IDLE:-} ]]; then
    for _ in 1 2; do sh -c 'while :; do :; done' & spinners+=($!); done
    echo "two spinning shells: ${spinners[*]}"
fi
for clip in hd short-sound; do
    parec -d null.monitor --raw --format=s16le --rate=48000 --channels=1 >"$work/$clip.raw" &
    recorder=$!
    played=$("$bench" "$work/$clip.mp4")
    sleep 0.5  # what the sink still plays
    kill "$recorder"
    wait "$recorder" 2>/dev/null || true
    echo "$clip: $played $("$bench" gaps "$work/$clip.raw")"
done

#!/usr/bin/env bash
# Times `kadrel-bench capture` (`kadrel-extract` for PNG and JPEG) against
# `ffmpeg -i CLIP -f image2` on generated clips, and the disk's own limit for the same bytes
# (kadrel-disk-limit: the files written from memory with direct I/O):
#   hd      20 s of 1080p 25 fps H.264, preset veryfast, B-frames (GOP 50)
#   heavy   60 s of 1080p 25 fps H.264, preset medium (1500 frames, 12.4 GB of bitmaps),
#           with the disk's limit for its files
#   sd      20 s of 640x480 MPEG-4 Part 2 in AVI
#   4k      10 s of 2160p 25 fps H.264, preset veryfast
#   png     the hd clip as PNG files: `kadrel-extract --format png` against ffmpeg's frame%d.png
#   png16   5 s of 1080p 25 fps 10-bit H.264 (High 10, yuv420p10le) as 16-bit PNG files:
#           `kadrel-extract --format png --depth 16` against ffmpeg's `-pix_fmt rgb48be frame%d.png`
#   jpg     the hd clip as JPEG files: `kadrel-extract --format jpg` (quality 95) against
#           ffmpeg's `-q:v 2 frame%d.jpg`
#   webp    5 s of the hd clip's kind as WebP files: `kadrel-extract --format webp --quality 90`
#           against ffmpeg's `-c:v libwebp -quality 90 frame%d.webp`
#   webp100 the same lossless: `--quality 100` against ffmpeg's `-c:v libwebp -lossless 1`
#   tmpfs   the first 300 frames of the hd clip as bitmaps into a folder under /dev/shm (memory)
#   keyframes  60 s of 1080p 30 fps H.264, keyframes every 2 s: `kadrel-extract --keyframes`
#           against `ffmpeg -skip_frame nokey`, and Kadrel's own whole run of the clip
#   scenes  20 s of 1080p 30 fps H.264 cut every 2 s (negated, hue turned): `--scenes 0.3`
#           against ffmpeg's `select='gt(scene,0.3)'`
#   every10 the hd clip: `kadrel-extract --every 10` against ffmpeg's `select='not(mod(n,10))'`
#   seek    30 s of 1080p 30 fps H.264 with noise, preset medium, GOP 60 (2 s): `kadrel-bench seek`
#           (50 paused moves, each with a snapshot) against `ffmpeg -ss T -i CLIP -frames:v 1`
#           for the same times; median and worst milliseconds. The floor beside them is
#           kadrel-seek-floor: the least decoding those moves need, with nothing converted
# Each row: three rounds, alternating the programs; the median of each program's frames/s, its
# peak memory (the largest of /usr/bin/time's %M), and the ratios. The rows that select frames
# count the clip's frames per second, not the files written.
#
#   bench/vs-ffmpeg.sh [BUILD_DIR [CLIP...]]     (default: build/ beside this folder, all clips)
#
# Clips and frames go to a folder under $TMPDIR (default /tmp), so the disk takes part;
# TMPDIR=/dev/shm measures decoding, conversion and writing without the disk.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
shift || true
clips=("${@:-hd heavy sd 4k png png16 jpg webp webp100 tmpfs keyframes scenes every10 seek}")
read -r -a clips <<<"${clips[*]}"
bench=$build/kadrel-bench
disk=$build/kadrel-disk-limit
extract=$build/kadrel-extract
for program in "$bench" "$disk" "$extract"; do
    [[ -x $program ]] || { echo "no $program: build the bench targets first" >&2; exit 1; }
done
command -v ffmpeg >/dev/null || { echo "the ffmpeg command-line tool is needed" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed for the peak memory" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kadrel-bench.XXXXXX")
shm=$(mktemp -d /dev/shm/kadrel-bench.XXXXXX)
trap 'rm -rf "$work" "$shm"' EXIT

x264() { # x264 NAME SIZE SECONDS PRESET
    ffmpeg -v error -f lavfi -i "testsrc2=size=$2:rate=25" -t "$3" \
        -c:v libx264 -preset "$4" -bf 3 -g 50 -pix_fmt yuv420p "$work/$1"
}
make_clip() {
    echo "making $1 in $work"
    case $1 in
        hd | png | jpg | tmpfs | every10) x264 "$1.mp4" 1920x1080 20 veryfast ;;
        webp | webp100) x264 "$1.mp4" 1920x1080 5 veryfast ;;
        png16) ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=25 -t 5 \
                -c:v libx264 -preset veryfast -bf 3 -g 50 -pix_fmt yuv420p10le "$work/png16.mp4" ;;
        keyframes) ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=30 -t 60 \
                -c:v libx264 -preset veryfast -g 60 -sc_threshold 0 -pix_fmt yuv420p \
                "$work/keyframes.mp4" ;;
        scenes) ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=30 -t 20 \
                -vf "negate=enable='eq(mod(floor(t/2),2),1)',hue=H=floor(t/4)*2" \
                -c:v libx264 -preset veryfast -g 60 \
                -pix_fmt yuv420p "$work/scenes.mp4" ;;
        heavy) x264 heavy.mp4 1920x1080 60 medium ;;
        sd) ffmpeg -v error -f lavfi -i testsrc2=size=640x480:rate=25 -t 20 \
                -c:v mpeg4 -q:v 3 -g 50 "$work/sd.avi" ;;
        4k) x264 4k.mp4 3840x2160 10 veryfast ;;
        seek) ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=30,noise=alls=20" \
                -t 30 -c:v libx264 -preset medium -bf 3 -g 60 -pix_fmt yuv420p "$work/seek.mp4" ;;
        *) echo "unknown clip $1" >&2; exit 1 ;;
    esac
}
file_of() { case $1 in sd) echo sd.avi ;; *) echo "$1.mp4" ;; esac; }

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
median() { sed "/^$/d" | sort -g | sed -n 2p; }  # of three lines
largest() { sort -g | tail -n 1; }

# run COMMAND...: runs with an empty output folder $out; prints "<files> <seconds> <peak KiB>".
run() {
    rm -rf "$out" && mkdir "$out"
    sync  # start every run without the previous run's writes still queued for the disk
    local start end
    start=$(now)
    /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null
    end=$(now)
    echo "${per:-$(find "$out" -name 'frame*' | wc -l)} $(calc "$end - $start") $(tail -n 1 "$work/rss")"
}

# timed CLIP WHO COMMAND...: one run, printed, its fps and memory added to WHO's lists.
declare -A fps rss
timed() {
    local clip=$1 who=$2 f s m
    shift 2
    read -r f s m < <(run "$@")
    printf '%-6s %-13s %5d frames %7.2f s %7.2f fps %5d MB\n' "$clip" "$who:" "$f" "$s" \
        "$(calc "$f / $s")" $((m / 1024))
    fps[$who]+="$(calc "$f / $s")"$'\n'
    rss[$who]+="$m"$'\n'
}

# seek_row FILE: Kadrel's moves, then ffmpeg's one-frame decodes at the same times.
seek_row() {
    local out times t start median worst floor ms=()
    out=$("$bench" seek "$1")
    times=$(sed -n 's/^times=//p' <<<"$out")
    # shellcheck disable=SC2086  # one argument per time
    floor=$("$build/kadrel-seek-floor" "$1" $times)
    for t in $times; do
        start=$(now)
        ffmpeg -v error -ss "$t" -i "$1" -frames:v 1 -y "$work/one.bmp"
        ms+=("$(calc "($(now) - $start) * 1000")")
    done
    read -r median worst < <(printf '%s\n' "${ms[@]}" | sort -g |
        awk '{ v[NR] = $1 } END { printf "%.1f %.1f\n", (v[25] + v[26]) / 2, v[NR] }')
    printf 'seek   kadrel-bench %s  floor %s  ffmpeg median_ms=%s worst_ms=%s\n' \
        "$(grep -o 'median_ms=.*' <<<"$out")" "$floor" "$median" "$worst"
}

for clip in "${clips[@]}"; do
    make_clip "$clip"
    sync  # the last row's files reach the disk now, not during this row
    file=$work/$(file_of "$clip")
    if [[ $clip == seek ]]; then
        seek_row "$file"
        rm -f "$file"
        continue
    fi
    out=$work/out
    per=
    select=()
    case $clip in
        keyframes) per=1800 who=kadrel-extract select=(--keyframes)
                   ffmpeg=(ffmpeg -v error -skip_frame nokey -i "$file" -fps_mode passthrough
                           -f image2 "$out/frame%d.bmp") ;;
        scenes) per=600 who=kadrel-extract select=(--scenes 0.3)
                ffmpeg=(ffmpeg -v error -i "$file" -vf "select='gt(scene,0.3)'"
                        -fps_mode passthrough -f image2 "$out/frame%d.bmp") ;;
        every10) per=500 who=kadrel-extract select=(--every 10)
                 ffmpeg=(ffmpeg -v error -i "$file" -vf "select='not(mod(n,10))'"
                         -fps_mode passthrough -f image2 "$out/frame%d.bmp") ;;
        png) who=kadrel-extract kadrel=("$extract" -q --format png -o "$out" "$file")
             ffmpeg=(ffmpeg -v error -i "$file" -f image2 "$out/frame%d.png") ;;
        png16) who=kadrel-extract kadrel=("$extract" -q --format png --depth 16 -o "$out" "$file")
               ffmpeg=(ffmpeg -v error -i "$file" -pix_fmt rgb48be -f image2 "$out/frame%d.png") ;;
        jpg) who=kadrel-extract kadrel=("$extract" -q --format jpg -o "$out" "$file")
             ffmpeg=(ffmpeg -v error -i "$file" -q:v 2 -f image2 "$out/frame%d.jpg") ;;
        webp) who=kadrel-extract kadrel=("$extract" -q --format webp --quality 90 -o "$out" "$file")
              ffmpeg=(ffmpeg -v error -i "$file" -c:v libwebp -quality 90 -f image2
                      "$out/frame%d.webp") ;;
        webp100) who=kadrel-extract
                 kadrel=("$extract" -q --format webp --quality 100 -o "$out" "$file")
                 ffmpeg=(ffmpeg -v error -i "$file" -c:v libwebp -lossless 1 -f image2
                         "$out/frame%d.webp") ;;
        tmpfs) out=$shm/out; who=kadrel-bench kadrel=("$bench" capture "$file" "$out" 0 299)
               ffmpeg=(ffmpeg -v error -i "$file" -frames:v 300 -f image2 "$out/frame%d.bmp") ;;
        keyframes | scenes | every10) ;;
        *) who=kadrel-bench kadrel=("$bench" capture "$file" "$out")
           ffmpeg=(ffmpeg -v error -i "$file" -f image2 "$out/frame%d.bmp") ;;
    esac
    [[ ${#select[@]} -gt 0 ]] && kadrel=("$extract" -q "${select[@]}" -o "$out" "$file")
    # One untimed run of each first: the clip, the libraries and the memory for the page
    # cache are then ready for both, so no timed run pays for them alone.
    # Kadrel's files give the disk-limit program its count and size.
    read -r frames _ < <(run "${kadrel[@]}")
    bytes=$(stat -c %s "$out"/frame0.*)
    run "${ffmpeg[@]}" >/dev/null
    fps=() rss=()
    for i in 1 2 3; do
        timed "$clip" "$who" "${kadrel[@]}"
        timed "$clip" ffmpeg "${ffmpeg[@]}"
        [[ $clip == heavy ]] && timed "$clip" disk-limit "$disk" "$out" "$frames" "$bytes"
        [[ $clip == keyframes ]] && timed "$clip" kadrel-whole "$bench" capture "$file" "$out"
    done
    k=$(median <<<"${fps[$who]}")
    f=$(median <<<"${fps[ffmpeg]}")
    printf '%-6s median  %s %7.2f fps %4d MB  ffmpeg %7.2f fps %4d MB  ratio %.2f' \
        "$clip" "$who" "$k" $(($(largest <<<"${rss[$who]}") / 1024)) "$f" \
        $(($(largest <<<"${rss[ffmpeg]}") / 1024)) "$(calc "$k / $f")"
    if [[ $clip == keyframes ]]; then
        w=$(median <<<"${fps[kadrel-whole]}")
        printf '  whole run %7.2f fps  keyframes/whole %.2f' "$w" "$(calc "$k / $w")"
    fi
    if [[ $clip == heavy ]]; then
        d=$(median <<<"${fps[disk-limit]}")
        printf '  disk-limit %7.2f fps  disk/kadrel %.2f' "$d" "$(calc "$d / $k")"
    fi
    printf '\n'
    rm -f "$file"
done

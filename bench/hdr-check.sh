#!/usr/bin/env bash
# Checks Kadrel's HDR to SDR tone mapping on generated 1080p 25 fps 10-bit HEVC clips, PQ
# (SMPTE ST 2084, mastering display 1000 nits, MaxCLL 1000) and HLG: SMPTE HD bars and skin
# tones (SDR colours with white at 203 nits) above a grey ramp from black to 1000 nits. The
# clips compared are 1 s long and lossless, so that the ramp stays grey; the one timed is 8 s
# of PQ at x265's ultrafast preset.
#   quality  frame 10 saved by kadrel-extract (tone-mapped, and with --hdr keep) and by
#            ffmpeg's zscale + tonemap=hable chain, each against ffmpeg's libplacebo filter
#            (BT.2390 to BT.709, the peak from the stream's metadata) on the software Vulkan
#            driver: PSNR in dB (Kadrel's aim: 30 or more)
#   ramp     Kadrel's grey ramp: R, G and B at most 2 codes apart, never falling left to right
#   speed    the whole PQ clip as bitmaps: kadrel-extract against the chain, the median
#            frames/s of three alternating rounds each, and their ratio
#
#   bench/hdr-check.sh [BUILD_DIR]     (needs: apt-get install ffmpeg mesa-vulkan-drivers)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
extract=$build/kadrel-extract
[[ -x $extract ]] || { echo "no $extract: build kadrel-extract first" >&2; exit 1; }
if [[ -z ${VK_ICD_FILENAMES:-} ]]; then
    lavapipe=$(ls /usr/share/vulkan/icd.d/lvp_icd*.json 2>/dev/null | head -n 1 || true)
    [[ -n $lavapipe ]] && export VK_ICD_FILENAMES=$lavapipe
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/kadrel-hdr.XXXXXX")
trap 'rm -rf "$work"' EXIT
frame=10
chain='zscale=t=linear:npl=203,format=gbrpf32le,zscale=p=bt709,tonemap=hable,zscale=t=bt709:m=bt709:r=tv,format=rgb24'

# $1 pq|hlg, $2 seconds, $3 lossless=1 or lossless=0: the clip into $work/$1-$2.mkv.
make_clip() {
    local seconds=$2
    local trc=smpte2084 x265trc=smpte2084 top=0.7518 extra=:master-display='G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)L(10000000,1)':max-cll=1000,400
    if [[ $1 == hlg ]]; then trc=arib-std-b67 x265trc=arib-std-b67 top=1 extra=; fi
    local skin="" labels="" i=0
    for colour in 0xF1C27D 0xE0AC69 0xC68642 0x8D5524; do
        skin+="color=c=$colour:s=480x270:r=25:d=$seconds[s$i];"
        labels+="[s$i]"
        i=$((i + 1))
    done
    ffmpeg -nostdin -v error -y -filter_complex "
        smptehdbars=s=1920x540:r=25:d=$seconds,format=rgb24[bars];
        ${skin}${labels}hstack=4,format=rgb24[skin];
        [bars][skin]vstack,setparams=color_primaries=bt709:color_trc=bt709:colorspace=gbr:range=pc,
            zscale=t=linear:npl=203,format=gbrpf32le,
            zscale=p=bt2020:t=$trc:m=bt2020nc:r=tv:npl=203,format=yuv420p10le[sdr];
        nullsrc=s=1920x270:r=25:d=$seconds,format=yuv420p10le,
            geq=lum='64+876*$top*X/W':cb=512:cr=512[ramp];
        [sdr][ramp]vstack,setparams=color_primaries=bt2020:color_trc=$trc:colorspace=bt2020nc:range=tv" \
        -c:v libx265 -preset ultrafast -pix_fmt yuv420p10le -x265-params \
        "log-level=error:$3:colorprim=bt2020:transfer=$x265trc:colormatrix=bt2020nc$extra" \
        -color_primaries bt2020 -color_trc "$trc" -colorspace bt2020nc "$work/$1-$2.mkv"
}

# PSNR (average, dB) of image $1 against image $2.
psnr() {
    ffmpeg -nostdin -v info -i "$1" -i "$2" -lavfi "[0]format=rgb24[a];[1]format=rgb24[b];[a][b]psnr" \
        -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p'
}

# The grey ramp of bitmap $1 (the middle of its bottom band): neutral and never falling.
ramp() {
    ffmpeg -nostdin -v error -i "$1" -vf "crop=1920:1:0:945" -f rawvideo -pix_fmt rgb24 - |
        od -An -v -tu1 -w3 | awk '
            { spread = $1 - $2; if (spread < 0) spread = -spread
              if ($3 - $2 > spread) spread = $3 - $2; if ($2 - $3 > spread) spread = $2 - $3
              if ($1 - $3 > spread) spread = $1 - $3; if ($3 - $1 > spread) spread = $3 - $1
              if (spread > worst) worst = spread
              if (NR > 1 && $2 < last) falls++
              last = $2 }
            END { printf "grey ramp: widest R/G/B spread %d codes (%s), %d falls left to right (%s), white %d\n",
                  worst, worst <= 2 ? "ok" : "FAIL", falls, falls == 0 ? "ok" : "FAIL", last }'
}

rate() {  # frames/s of $2 frames in $1 seconds
    awk -v s="$1" -v n="$2" 'BEGIN { printf "%.1f", n / s }'
}

for kind in pq hlg; do
    make_clip "$kind" 1 lossless=1
    clip=$work/$kind-1.mkv
    "$extract" -q --from "$frame" --to "$frame" -o "$work/$kind-kadrel" "$clip"
    "$extract" -q --hdr keep --from "$frame" --to "$frame" -o "$work/$kind-kept" "$clip"
    mkdir -p "$work/$kind-ref" "$work/$kind-chain"
    ffmpeg -nostdin -v error -y -init_hw_device vulkan=vk -filter_hw_device vk -i "$clip" -vf \
        "select=eq(n\,$frame),format=yuv420p10le,hwupload,libplacebo=tonemapping=bt.2390:peak_detect=0:colorspace=bt709:color_primaries=bt709:color_trc=bt709:range=tv:format=yuv444p,hwdownload,format=yuv444p,format=rgb24" \
        -frames:v 1 "$work/$kind-ref/ref.png"
    ffmpeg -nostdin -v error -y -i "$clip" -vf "select=eq(n\,$frame),$chain" -frames:v 1 \
        "$work/$kind-chain/chain.bmp"
    echo "$kind: PSNR against libplacebo BT.2390: Kadrel $(psnr "$work/$kind-kadrel/frame$frame.bmp" "$work/$kind-ref/ref.png") dB," \
        "zscale+tonemap=hable $(psnr "$work/$kind-chain/chain.bmp" "$work/$kind-ref/ref.png") dB," \
        "Kadrel --hdr keep $(psnr "$work/$kind-kept/frame$frame.bmp" "$work/$kind-ref/ref.png") dB"
    echo -n "$kind "
    ramp "$work/$kind-kadrel/frame$frame.bmp"
done

make_clip pq 8 lossless=0
clip=$work/pq-8.mkv
frames=200
# Seconds taken by the command line given.
timed() {
    rm -rf "$work/speed" && mkdir -p "$work/speed"
    local start
    start=$(date +%s.%N)
    "$@"
    awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }'
}
median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
kadrel=() chained=()
for round in 1 2 3; do
    kadrel+=("$(timed "$extract" -q -o "$work/speed" "$clip")")
    chained+=("$(timed ffmpeg -nostdin -v error -i "$clip" -vf "$chain" "$work/speed/frame%d.bmp")")
done
k=$(rate "$(median "${kadrel[@]}")" "$frames")
c=$(rate "$(median "${chained[@]}")" "$frames")
echo "speed, PQ 1080p to bitmaps: Kadrel $k frames/s, zscale+tonemap chain $c frames/s," \
    "ratio $(awk -v k="$k" -v c="$c" 'BEGIN { printf "%.2f", k / c }')"

#pragma once
// The time of an MPEG-1 or MPEG-2 keyframe that states none. A program stream times only the
// pictures that start one of its packets, so many keyframes come without a pts. Decoding every
// picture, such a picture simply follows the one before; decoding keyframes alone, the one
// before is a GOP back. The picture header says where the keyframe is shown within its GOP
// (temporal_reference): the pictures shown before it are the ones decoded right after it, one
// frame each, so it is shown that many frames and one after its own decoding time.

#include "media/ffmpeg/FfmpegHolders.h"

#include <optional>

namespace kadrel::ffmpeg {

// The pts of packet in its stream's ticks, frameTicks apart; none for other codecs, or
// without a decoding time or a picture header.
std::optional<int64_t> untimedKeyframePts(const AVCodecParameters* video, const AVPacket& packet,
                                          int64_t frameTicks);

}  // namespace kadrel::ffmpeg

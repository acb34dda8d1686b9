#pragma once
// The error numbers of the engine's own failures. Failures of the operating system carry
// their errno value; the engine's numbers start above every errno value, so the two never
// collide.

#include "common/Status.h"

namespace kadrel::mediaerror {

inline constexpr int kNoMedia = kFirstProgramError + 91;  // a call on a session without media
inline constexpr int kOpen = kFirstProgramError + 1001;
inline constexpr int kNoStreams = kFirstProgramError + 1002;
inline constexpr int kDecoder = kFirstProgramError + 1003;
inline constexpr int kNoImage = kFirstProgramError + 1004;
inline constexpr int kBuffer = kFirstProgramError + 1005;
inline constexpr int kNotRendered = kFirstProgramError + 1010;
inline constexpr int kNoVideo = kFirstProgramError + 1011;
inline constexpr int kArgument = kFirstProgramError + 1012;
inline constexpr int kUnplayable = kFirstProgramError + 1013;
inline constexpr int kMissingFrame = kFirstProgramError + 1014;  // a file cut short
inline constexpr int kStalled = kFirstProgramError + 1015;       // a read that never returns
inline constexpr int kBadSnapshot = kFirstProgramError + 1016;   // not a 32-bit frame snapshot
inline constexpr int kEncoder = kFirstProgramError + 1017;       // a PNG or JPEG encoder failed
inline constexpr int kUnknownLength = kFirstProgramError + 1018;  // a stream that states none
inline constexpr int kNoNextPicture = kFirstProgramError + 1019;  // after the video's last picture
inline constexpr int kDeinterlace = kFirstProgramError + 1020;    // the deinterlacer failed

inline constexpr int kAll[] = {kNoMedia,     kOpen,     kNoStreams, kDecoder,
                               kNoImage,     kBuffer,   kNotRendered, kNoVideo,
                               kArgument,    kUnplayable, kMissingFrame, kStalled,
                               kBadSnapshot, kEncoder, kUnknownLength, kNoNextPicture,
                               kDeinterlace};

}  // namespace kadrel::mediaerror

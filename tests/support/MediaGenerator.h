#pragma once
// Test media made in-process with the FFmpeg encoders. Frame k shows k as a 4 x 4 grid of
// black and white blocks: fixed corners (only the top-left white) so a turned or mirrored
// picture does not read back, the other twelve the bits of k, row by row, lowest first.

#include "common/Status.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <array>
#include <vector>

namespace kadrel::test {

struct ClipSpec {
    enum class Codec {
        Mpeg4,  // no B-frames (fits AVI)
        H264,   // libx264 with two B-frames
        Mjpeg,  // full-range YUV
        Vp8,    // for WebM (which takes no PCM sound)
        Mpeg1,  // for a program stream (.mpg)
        Mpeg2,  // two B-frames, for a DVD program stream (.vob)
        Wmv2,   // Windows Media Video 8, for ASF (.wmv)
        Hevc10, // libx265, 10-bit 4:2:0, lossless; BT.2020 with the transfer below
        Ffv1,   // 10-bit 4:2:0, lossless, SDR
        None,   // sound only (set withAudio)
    };
    // The blocks, colourBars() left to right, (Hevc10) the 8 x 8 blocks of a 64 x 16
    // picture: the greys of kHdrGreyNits above the colours of hdrColours(), (Ffv1) greys of
    // greyRampCode() pixel by pixel, row by row, or the blocks under a bar moving 6 columns a
    // field.
    enum class Content { FrameIndex, ColourBars, HdrLevels, GreyRamp, FieldBar };
    enum class Transfer { Pq, Hlg };

    Codec codec = Codec::Mpeg4;
    Content content = Content::FrameIndex;
    int width = 160;   // the picture as displayed
    int height = 120;
    int fps = 25;
    int frames = 25;   // also fixes the length of sound-only media (frames / fps seconds)
    int gop = 12;      // frames between keyframes
    int fpsDivisor = 1;  // the frame rate is fps / fpsDivisor (30000 / 1001: 29.97), video only
    std::vector<int> frameTicks = {};  // variable rate: frame k starts at frameTicks[k] / fps
    // A 440 Hz tone: 16-bit PCM where the container takes it, else its own codec; not in .mp4.
    bool withAudio = false;
    double soundSeconds = 0.0; // the tone's length when it is not the picture's
    double soundStart = 0.0;   // the sound's first timestamp after the picture's, seconds
    double gapAt = -1.0;       // a stretch of this length without sound packets, from gapAt
    double gapLength = 0.0;
    double startOffset = 0.0;  // timestamp of the first frame, seconds (not in AVI)
    int rotation = 0;          // clockwise display rotation as metadata: 0, 90, 180, 270 (MP4)
    int sampleAspectNum = 1;  // written into the stream; drawn on the stored width x height
    int sampleAspectDen = 1;
    // BT.709 from 1280 columns or above 576 lines, else BT.601; untagged: "unspecified".
    bool tagColour = true;
    Transfer transfer = Transfer::Pq;  // Hevc10 only
    bool streamed = false;   // written as to a pipe: no length stated, no index
    bool interlaced = false;  // Mpeg2, H264: coded and flagged interlaced, top field first
    bool faststart = false;  // MP4: the index before the data, kept by a file cut short
    const char* creationTime = nullptr;  // the container's recording time, ISO 8601
};

// Writes the clip to path in the container its extension names.
Status generateClip(const ClipSpec& recipe, const QString& path);

// White, yellow, cyan, green, magenta, red, blue, black.
std::array<QColor, 8> colourBars();

// GreyRamp: the pixel'th pixel's 10-bit Y code (Cb, Cr 512), each limited-range code in turn.
inline int greyRampCode(int pixel) { return 64 + pixel % 877; }

// HdrLevels: the greys' light in nits (on a 1000-nit display for HLG), and the colours: BT.709
// light (1 = 100 nits) of red, green, blue, yellow, cyan, magenta, orange and a skin tone.
inline constexpr std::array<double, 8> kHdrGreyNits = {1, 5, 20, 50, 100, 203, 400, 1000};
std::array<QColor, 8> hdrColours();

// The frame index drawn in a picture, a bitmap file or its bytes; -1 when unreadable.
int frameIndexFromImage(const QImage& image);
int frameIndexFromBitmap(const QString& path);
int frameIndexFromBitmap(const QByteArray& bmp);
// The same for an image file of any type saved (PNG, JPEG, WebP).
int frameIndexFromImageFile(const QString& path);
// An image file's picture: WebP through libwebp, the other types through Qt.
QImage loadImage(const QString& path);

}  // namespace kadrel::test

#pragma once
// Test media made in-process with the FFmpeg encoders, so nothing is downloaded.
//
// Every video frame k shows its own index as a 4 x 4 grid of large black and white blocks
// on the picture as displayed: the corner blocks are fixed (top-left white, the other three
// black) so a picture that comes out rotated or mirrored does not read back; the twelve
// other blocks, row by row, hold the bits of k (white = 1, least significant first).
// frameIndexFromBitmap() reads a written bitmap back to k, tolerant of codec noise.
//
// Usage:
//   ClipSpec recipe;                       // 160 x 120, 25 fps, 25 frames, MPEG-4 Part 2
//   recipe.codec = ClipSpec::Codec::H264;  // with B-frames
//   ASSERT_TRUE(generateClip(recipe, dir.filePath("clip.mp4")).ok());
//   ...
//   EXPECT_EQ(frameIndexFromBitmap(bmpPath), 7);

#include "common/Status.h"

#include <QByteArray>
#include <QColor>
#include <QString>

#include <array>
#include <vector>

namespace kadrel::test {

struct ClipSpec {
    enum class Codec {
        Mpeg4,  // MPEG-4 Visual (the mpeg4 encoder), no B-frames (fits AVI)
        H264,   // libx264 with two B-frames
        Mjpeg,  // full-range YUV
        Vp8,    // libvpx, for WebM (which takes no PCM sound)
        Mpeg1,  // MPEG-1 video, for a program stream (.mpg)
        Mpeg2,  // MPEG-2 video with two B-frames, for a DVD program stream (.vob)
        Wmv2,   // Windows Media Video 8, for ASF (.wmv)
        None,   // no video: sound only (set withAudio)
    };
    enum class Content {
        FrameIndex,  // the block pattern above
        ColourBars,  // the eight bars of colourBars(), left to right
    };

    Codec codec = Codec::Mpeg4;
    Content content = Content::FrameIndex;
    int width = 160;   // the picture as displayed
    int height = 120;
    int fps = 25;
    int frames = 25;   // also fixes the length of sound-only media (frames / fps seconds)
    int gop = 12;      // frames between keyframes
    int fpsDivisor = 1;  // the frame rate is fps / fpsDivisor (30000 / 1001: 29.97), video only
    // Variable frame rate: frame k starts at frameTicks[k] / fps seconds (one per frame).
    std::vector<int> frameTicks = {};
    // A 440 Hz tone: 16-bit PCM where the container takes it (.avi, .mkv, .wav), else in the
    // container's own sound codec (MP2 in .mpg and .vob, WMA 2 in .wmv); not in .mp4.
    bool withAudio = false;
    double soundSeconds = 0.0; // the tone's length when it is not the picture's
    double soundStart = 0.0;   // the sound's first timestamp after the picture's, seconds
    double gapAt = -1.0;       // a stretch of this length without sound packets, from gapAt
    double gapLength = 0.0;
    double startOffset = 0.0;  // timestamp of the first frame, seconds (not in AVI)
    int rotation = 0;          // clockwise display rotation as metadata: 0, 90, 180, 270 (MP4)
    // The sample (pixel) aspect ratio written into the stream; the picture is drawn on the
    // stored width x height.
    int sampleAspectNum = 1;
    int sampleAspectDen = 1;
    // The colour matrix is BT.709 from 1280 columns or above 576 lines, else BT.601; when
    // tagged it is written into the stream, otherwise the stream says "unspecified".
    bool tagColour = true;
    // Written as to a pipe, so the file states no length and has no index (.mkv), as
    // browsers' recorders write it.
    bool streamed = false;
    bool faststart = false;  // MP4: the index before the data, kept by a file cut short
};

// Writes the clip to path; the container follows the extension (.avi, .mp4, .mkv, .webm,
// .mpg, .vob, .wmv, .wav).
Status generateClip(const ClipSpec& recipe, const QString& path);

// The colours of the bars, left to right: white, yellow, cyan, green, magenta, red, blue, black.
std::array<QColor, 8> colourBars();

// The frame index drawn in a bitmap file (or its bytes): -1 when the file is no bitmap or
// the picture carries no readable pattern.
int frameIndexFromBitmap(const QString& path);
int frameIndexFromBitmap(const QByteArray& bmp);
// The same for an image file of any type Qt reads (PNG, JPEG, ...).
int frameIndexFromImageFile(const QString& path);

}  // namespace kadrel::test

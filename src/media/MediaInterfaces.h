#pragma once
// The media framework's automation interfaces. One object, the filter graph manager,
// implements all of them; a view is obtained by a typed cast of that one object
// (queryInterface). Every call returns a status, or a value and a status.

#include "common/Status.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace kadrel {

// The picture on show, as a frame selection and its manifest see it.
struct PictureFacts {
    std::int64_t timestamp = 0;  // the stream's own time stamp (best-effort pts, in the
                                 // stream's time base); INT64_MIN when the stream gives none
    double start = 0.0;          // seconds on the program's time line (0 = the first picture)
    bool keyframe = false;       // the decoder marked it as a keyframe
    bool interlaced = false;     // the decoder flagged it interlaced (two fields woven)
    bool deinterlaced = false;   // and it is shown deinterlaced
};

// The luma of a picture, 8 bits a sample whatever the source depth. An 8-bit picture's own
// plane is shared rather than copied (a scene run reads every picture); other depths and
// formats are converted into samples.
struct LumaPlane {
    const std::uint8_t* rows = nullptr;  // the first row, in samples or in the shared picture
    std::ptrdiff_t stride = 0;           // bytes from one row to the next
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> samples;    // converted rows; the capacity is kept between calls
    std::shared_ptr<const void> picture;  // keeps the shared plane alive

    LumaPlane() = default;
    // A move keeps rows valid (the samples' buffer moves along); a copy would not.
    LumaPlane(LumaPlane&&) = default;
    LumaPlane& operator=(LumaPlane&&) = default;
    LumaPlane(const LumaPlane&) = delete;
    LumaPlane& operator=(const LumaPlane&) = delete;

    const std::uint8_t* row(std::int32_t y) const { return rows + y * stride; }
    // The packed samples as rows, width x height.
    void useSamples()
    {
        picture.reset();
        rows = samples.data();
        stride = width;
    }
};

// An 8-bit 4:2:0 picture's own planes, shared rather than copied, for an encoder that stores
// YCbCr itself (JPEG): it then needs no RGB picture at all.
struct YuvPlanes {
    const std::uint8_t* data[3] = {};  // Y, Cb, Cr
    std::ptrdiff_t stride[3] = {};
    std::int32_t width = 0;  // of the luma; the chroma planes have half of each side, rounded up
    std::int32_t height = 0;
    bool bt709 = false;  // the matrix, else BT.601
    bool fullRange = false;
    std::shared_ptr<const void> picture;  // keeps the planes alive; empty: no planes held

    const std::uint8_t* row(int plane, std::int32_t y) const
    {
        return data[plane] + y * stride[plane];
    }
};
// How the samples of a picture encode light.
enum class PictureTransfer : std::int32_t { Sdr = 0, Pq = 1, Hlg = 2 };

// The header of a 16-bit picture (GetCurrentImageDeep). Top-down rows follow it without
// padding, each pixel R, G, B as std::uint16_t in the machine's byte order.
struct DeepImageHeader {
    std::int32_t width = 0;
    std::int32_t height = 0;
    PictureTransfer transfer = PictureTransfer::Sdr;  // Pq or Hlg only while not tone-mapped
};
inline constexpr int kDeepPixelBytes = 6;

class IMediaControl {
public:
    virtual ~IMediaControl() = default;
    virtual Status RenderFile(const QString& path) = 0;
    virtual Status Run() = 0;
    virtual Status Pause() = 0;
    virtual Status Stop() = 0;
    // The container's recording time (its creation_time, ISO 8601, UTC); empty when it states none.
    virtual QString get_CreationTime() const { return {}; }
};

class IMediaPosition {
public:
    virtual ~IMediaPosition() = default;
    virtual Status put_Rate(double rate) = 0;
    virtual Result<double> get_Duration() = 0;
    virtual Result<double> get_CurrentPosition() = 0;
    virtual Status put_CurrentPosition(double seconds) = 0;
};

class IBasicAudio {
public:
    virtual ~IBasicAudio() = default;
    // Attenuation in hundredths of a decibel: -10000 silence, 0 full volume.
    virtual Status put_Volume(std::int32_t level) = 0;
    virtual Status put_Balance(std::int32_t balance) = 0;
};

class IBasicVideo {
public:
    virtual ~IBasicVideo() = default;
    virtual Result<double> get_AvgTimePerFrame() = 0;  // fails for media without video
    // Where the last frame of the video ends, in seconds like the position; the duration
    // covers the sound too, which may run on after the picture.
    virtual Result<double> get_VideoEnd() = 0;
    virtual Result<std::int32_t> get_VideoWidth() = 0;
    virtual Result<std::int32_t> get_VideoHeight() = 0;
    // Fills buffer with the frame on show as a packed DIB (40-byte BITMAPINFOHEADER, then
    // bottom-up rows); fails when no frame exists or bufferSize bytes are too few.
    virtual Status GetCurrentImage(std::int32_t bufferSize, void* buffer) = 0;
    // The same picture at 16 bits a channel: a DeepImageHeader, then the rows.
    virtual Status GetCurrentImageDeep(std::int32_t bufferSize, void* buffer) = 0;
    // The facts of the picture on show (decoding it first when a move is pending).
    virtual Result<PictureFacts> get_CurrentPicture() = 0;
    // The luma of the picture on show, full size.
    virtual Status GetCurrentLuma(LumaPlane& into) = 0;
    // The planes of the picture on show when the bitmap would be their plain conversion: 8-bit
    // 4:2:0 YUV with a BT.601 or BT.709 matrix, upright, not tone-mapped. false otherwise (or
    // without a picture): GetCurrentImage is then the way, and says why it fails.
    virtual bool GetCurrentPlanes(YuvPlanes& into)
    {
        into = {};
        return false;
    }
    // true: the decoder leaves out every picture but keyframes, so a move shows the last
    // keyframe starting at or before the target. false: every picture again. Each switch starts
    // afresh: nothing decoded in the other mode is shown.
    virtual Status put_KeyframesOnly(bool only) = 0;
    // The start (program time line, seconds) of the first picture after the one on show, in
    // the present mode (the next keyframe while keyframes only), waiting a bounded time as a
    // move does; fails with kNoNextPicture after the video's last picture.
    virtual Result<double> get_NextPictureStart() = 0;
    // A run that moves only forward to first, first + step, first + 2 step, ... says so: the
    // pictures no such move shows and no other picture needs are then left undecoded. A move
    // elsewhere, or step 0, ends it; a move elsewhere still shows its exact picture.
    virtual Status put_TargetStride(double first, double step) = 0;
    // true (the default): HDR pictures are tone-mapped to SDR in the bitmap and on the
    // screen. false: their signal is converted as it is, like an SDR picture's.
    virtual Status put_ToneMapping(bool on) = 0;
    // true: pictures flagged interlaced are deinterlaced (bwdif, one frame for each frame), on
    // the screen and in the bitmap; the picture on show is shown afresh. false (the default):
    // every picture as decoded.
    virtual Status put_Deinterlace(bool on) = 0;
};

class IVideoWindow {
public:
    virtual ~IVideoWindow() = default;
    virtual Status put_WindowStyle(std::int32_t style) = 0;
    virtual Status put_Left(std::int32_t left) = 0;
    virtual Status put_Top(std::int32_t top) = 0;
    virtual Status put_Width(std::int32_t width) = 0;
    virtual Status put_Height(std::int32_t height) = 0;
    // The video surface becomes a child of owner, drawn inside it; nullptr detaches and hides it.
    virtual Status put_Owner(QWidget* owner) = 0;
};

// Obtained and never called.
class IMediaEvent {
public:
    virtual ~IMediaEvent() = default;
};

// The style the program gives the video window (clip children and siblings).
inline constexpr std::int32_t kVideoWindowStyle = 0x06000000;

// The interface query: another view of the same graph manager, or empty when it has none.
template <typename Interface, typename From>
std::shared_ptr<Interface> queryInterface(const std::shared_ptr<From>& object)
{
    return std::dynamic_pointer_cast<Interface>(object);
}

// Creates a new filter graph manager, seen as its control interface.
using GraphFactory = std::function<std::shared_ptr<IMediaControl>()>;

}  // namespace kadrel

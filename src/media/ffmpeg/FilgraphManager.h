#pragma once
// The filter graph manager on FFmpeg: one object implementing every media interface the
// program uses, built for one file by RenderFile.
//
// Pipeline, one file pair per stage:
//   Demuxer       the container: streams, packets, keyframe index, seeking
//   Decoder       threaded libavcodec decoding, drained at the end of the file
//   Deinterlacer  libavfilter's bwdif on the decoded pictures, while put_Deinterlace says so
//   DecodeAhead   a worker thread that reads and decodes ahead into small bounded queues,
//                 with serial numbers so that nothing stale survives a move:
//     FrameQueue, SoundQueue  the decoded frames and the converted sound (trimmed to the move)
//     HeldPackets   the video packets held back while the frames are full or sound goes first
//     SeekPolicy    when a move seeks, and re-seeking from further back when it lands wrong
//   FrameConverter  libswscale to the packed bitmap of GetCurrentImage (straight into the
//                 caller's buffer, bottom-up), to GetCurrentImageDeep's 16-bit RGB and to the
//                 picture the surface paints;
//                 ToneMapper for HDR pictures
//   FrameLuma     the 8-bit luma of GetCurrentLuma
//   AudioResampler, AudioOutput  libswresample to 16-bit stereo, played by QAudioSink
//                 (a SoundSink) without gaps or overlaps on the time line
//   MediaClock    the monotonic clock, corrected (never backwards) by the position heard
//   VideoSurface  the QWidget that paints the frame on show at its display aspect ratio,
//                 centred in its rectangle between black bars
//
// Time: seconds, 0 at the first video frame (Demuxer's origin, for every container). The frame
// on show after put_CurrentPosition(t) is the last frame starting at or before t + T/2 (T the
// time per frame; the last keyframe while put_KeyframesOnly leaves the others undecoded).
// While running it is decoded before the call returns; while halted, when the frame is first
// looked at (image, facts, luma, size, paint, Pause, the next tick after Run), so that
// back-to-back moves coalesce.
// Playback presents frames at their times on a UI-thread timer; frames are skipped only
// when already late, and while they keep coming late the decoder leaves out what it can.
// No call waits without bound: a stalled read fails the move. Every public call is made on
// the UI thread; the only other thread is DecodeAhead's worker.

#include "media/MediaInterfaces.h"
#include "media/ffmpeg/AudioOutput.h"
#include "media/ffmpeg/AudioResampler.h"
#include "media/ffmpeg/DecodeAhead.h"
#include "media/ffmpeg/Decoder.h"
#include "media/ffmpeg/Demuxer.h"
#include "media/ffmpeg/FrameConverter.h"
#include "media/ffmpeg/FrameLuma.h"
#include "media/ffmpeg/MediaClock.h"
#include "media/ffmpeg/VideoSurface.h"

#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace kadrel::ffmpeg {

class FilgraphManager final : public IMediaControl,
                              public IMediaPosition,
                              public IBasicAudio,
                              public IBasicVideo,
                              public IVideoWindow,
                              public IMediaEvent {
public:
    // makeSound opens the sound output (null: no sound device); tests pass a fake device.
    using SoundFactory = std::function<std::unique_ptr<AudioOutput>()>;
    explicit FilgraphManager(SoundFactory makeSound = &AudioOutput::create);
    ~FilgraphManager() override;
    // Every read that waits for data, the file's opening included, gives up once stop says
    // so; asked from the engine's threads too.
    void abandonReadsWhen(std::function<bool()> stop) { m_demuxer.setAbandon(std::move(stop)); }

    Status RenderFile(const QString& path) override;
    Status Run() override;
    Status Pause() override;
    Status Stop() override;
    QString get_CreationTime() const override { return m_demuxer.creationTime(); }

    Status put_Rate(double rate) override;
    Result<double> get_Duration() override;
    Result<double> get_CurrentPosition() override;
    Status put_CurrentPosition(double seconds) override;

    Status put_Volume(std::int32_t level) override;
    Status put_Balance(std::int32_t balance) override;

    Result<double> get_AvgTimePerFrame() override;
    Result<double> get_VideoEnd() override;
    Result<std::int32_t> get_VideoWidth() override;
    Result<std::int32_t> get_VideoHeight() override;
    Status GetCurrentImage(std::int32_t bufferSize, void* buffer) override;
    Status GetCurrentImageDeep(std::int32_t bufferSize, void* buffer) override;
    Result<PictureFacts> get_CurrentPicture() override;
    Status GetCurrentLuma(LumaPlane& into) override;
    bool GetCurrentPlanes(YuvPlanes& into) override;
    Status put_KeyframesOnly(bool only) override;
    Status put_TargetStride(double first, double step) override;
    Status put_ToneMapping(bool on) override;
    Status put_Deinterlace(bool on) override;
    Result<double> get_NextPictureStart() override;

    Status put_WindowStyle(std::int32_t style) override;
    Status put_Left(std::int32_t left) override;
    Status put_Top(std::int32_t top) override;
    Status put_Width(std::int32_t width) override;
    Status put_Height(std::int32_t height) override;
    Status put_Owner(QWidget* owner) override;

    // The video surface, for tests; null for media without video.
    QWidget* surface() const { return m_surface; }

private:
    Status openStreams();
    Status checkRendered() const;
    Status checkVideo() const;
    bool soundAudible() const;
    void startSound();
    void stopSound();
    void showPendingFrame();
    // Shows a pending move; fails when its picture is not there.
    Status checkShown();
    void tick();
    void endAtLastPicture(double now);
    void applyGains();
    Status reshapeSurface(const std::function<void(QRect&)>& change);
    void placeSurface();
    QSize displaySize() const;

    SoundFactory m_makeSound;
    Demuxer m_demuxer;
    Decoder m_videoDecoder;
    Decoder m_audioDecoder;
    AudioResampler m_resampler;
    std::unique_ptr<AudioOutput> m_audio;
    std::unique_ptr<DecodeAhead> m_decodeAhead;  // after what it uses, so it stops first
    FrameConverter m_converter;
    FrameLuma m_luma;
    VideoFrame m_shown;
    Status m_frameFailure;  // why the frame asked for last is not on show
    MediaClock m_clock;
    QTimer m_timer;
    QPointer<VideoSurface> m_surface;
    QRect m_surfaceRect;
    bool m_rendered = false;
    bool m_hasVideo = false;
    bool m_running = false;
    bool m_soundOn = false;  // sound is being decoded and played
    bool m_keyframesOnly = false;
    double m_position = 0.0;  // while halted
    std::optional<double> m_pendingKey;  // a move of the halted graph not decoded yet
    std::int32_t m_volume = 0;
    std::int32_t m_balance = 0;
};

}  // namespace kadrel::ffmpeg

#pragma once
// The worker thread that reads and decodes ahead of what is shown, and the hand-over of its
// frames to the UI thread.
//
// The worker fills a small bounded queue of decoded video frames (and, while sound is
// wanted, a queue of converted sound), so that the next frames are ready before they are
// asked for: a bulk capture that steps forward one frame at a time decodes the file once,
// front to back, while the UI thread converts and writes the previous frame.
//
// Moves of the position (showFrameAt) are answered from the frames already taken when the
// target lies among them, from the queue when it lies ahead within reach of what has been
// read; a move backwards before those, or past a keyframe not yet read,
// starts a new serial: the queues are emptied, the worker seeks to the keyframe at or before
// the target and decodes forward. Every frame and sound chunk carries the serial it was
// decoded under, and anything of an older serial is thrown away, so nothing stale is shown
// after a move.
//
// The decoder hands out a picture only after taking the packets that follow it. So when a seek's
// target lies among the last pictures before an IDR keyframe, the decoder is emptied before
// that keyframe instead, and the move learns that every picture before the keyframe is
// queued: it need not wait for the keyframe, the costliest picture of a group, to decode.
//
// While keyframes only, the video packets that are not keyframes are read but never decoded:
// a walk from keyframe to keyframe reads the file once, decoding only what it shows.
//
// While deinterlacing, every decoded picture goes through the Deinterlacer, which reads the
// pictures on both sides of each: nothing is left undecoded, a seek starts decoding before the
// picture ahead of its target, and each serial starts a new run of the filter. So a picture
// comes out the same however it is reached. Keyframes only, each is deinterlaced alone.

#include "media/ffmpeg/AudioResampler.h"
#include "media/ffmpeg/Decoder.h"
#include "media/ffmpeg/Deinterlacer.h"
#include "media/ffmpeg/Demuxer.h"
#include "media/ffmpeg/FrameHistory.h"
#include "media/ffmpeg/FrameQueue.h"
#include "media/ffmpeg/HeldPackets.h"
#include "media/ffmpeg/ReferenceScan.h"
#include "media/ffmpeg/SeekPolicy.h"
#include "media/ffmpeg/SoundQueue.h"
#include "media/ffmpeg/SoundSink.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kadrel::ffmpeg {

class DecodeAhead final : public SoundSource {
public:
    enum class Shown {
        Changed,    // shown now holds the frame asked for
        Unchanged,  // it held it already (or the media has no frame at all)
        Missing,    // the file ends before that frame: shown holds the last one that decodes
        TimedOut,   // the file gave nothing for too long (a stalled read)
    };

    // video or audio may be null when the media lacks that stream.
    DecodeAhead(Demuxer& demuxer, Decoder* video, Decoder* audio, AudioResampler* resampler);
    ~DecodeAhead() override;
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    enum class Next {
        Found,     // start holds where the next picture starts
        Ended,     // shown is the last picture
        TimedOut,  // as Shown::TimedOut
    };

    // Makes shown the last frame starting at or before key (the first frame when none does),
    // waiting a bounded time until that is known. While it waits, reading ignores the limit on
    // sound read ahead, which nothing drains meanwhile.
    Shown showFrameAt(double key, VideoFrame& shown);
    // Where the first picture after shown starts, in the present mode, waiting as showFrameAt.
    Next nextStart(const VideoFrame& shown, double& start);
    // Switches between every picture and keyframes only; a switch starts a new serial, and the
    // next move seeks. False when the mode was that already.
    bool setKeyframesOnly(bool only);
    // Switches deinterlacing on or off, as setKeyframesOnly switches its mode.
    bool setDeinterlace(bool on);
    // Moves will go to the keys firstKey + k x step only (step 0: anywhere): a picture nothing
    // refers to is left out when a picture read after it, at or before the next such key, shows
    // instead. A move to another key ends the stride, seeking when a picture was left out.
    void setStride(double firstKey, double step);
    // The first frame missing from a file cut short, after showFrameAt said Missing.
    int missingFrame() const { return m_missingFrame; }
    // Playback: makes shown the latest frame due at now; frames already late are skipped.
    bool takeDueFrame(double now, VideoFrame& shown);
    // The last frame of the present serial has been handed out.
    bool videoEnded() const;

    // Media without video: moves the sound to t.
    void restartSoundAt(double t);

    // Sound is decoded only while wanted (while playing with an output).
    void setSoundWanted(bool wanted);
    // Sound before the position of the last move is thrown away.
    bool takeSound(SoundChunk& chunk) override;

    // Playback: while pictures come late, the decoder leaves out those no other picture
    // needs. Moves then seek, so that stepping is exact again.
    void setBehind(bool behind);
    // Makes a read in progress give up where it waits for data (a stalled network stream);
    // the next move reads afresh. False when no read was in progress.
    bool abandonRead();

private:
    void run();
    bool hasWork() const;
    bool soundFirst() const;
    // whole: decode every picture on the way (a step back keeps them), else leave out those
    // nothing needs.
    void startSeek(double target, bool whole = false);
    void newSerial();
    bool setMode(bool& mode, bool on);
    // Waits until the queue holds a frame of the present serial (true), or the serial has
    // ended or every frame starting at or before upTo is known to be queued already (false);
    // sets timedOut when the file gives nothing until deadline.
    bool waitForFrame(std::unique_lock<std::mutex>& lock,
                      std::chrono::steady_clock::time_point deadline, bool& timedOut,
                      double upTo = std::numeric_limits<double>::infinity());
    void seekContainer();
    void readPacket();
    void timeKeyframe(AVPacket& packet);
    void takePicture(AVPacket* packet);
    void decodeOrHold(AVPacket* packet);
    void decodeVideo(const AVPacket* packet);
    void decodeSound(const AVPacket* packet);
    void deinterlace(AVFrame* frame);
    void bringOutBefore(const AVPacket* keyframe);
    void drain();
    void drainSound();
    void setSkipping(bool skipping);
    void queueSound(SoundChunk chunk);
    bool missingAfter(const VideoFrame& last, double key);
    const VideoFrame* takenAt(double key, const VideoFrame& shown) const;
    std::optional<double> frameStart(const AVFrame* frame);
    bool holeAtTheCut(double start);
    bool leaveOut(const AVPacket* packet);
    bool offStride(double t) const;
    void noteRead(double t);
    bool leftOutBetween(double after, double before) const;
    void pushVideo(AVFrame* frame, bool deinterlaced = false);
    void pushSound(const AVFrame* frame);

    Demuxer& m_demuxer;
    Decoder* m_video;
    Decoder* m_audio;
    AudioResampler* m_resampler;

    // Shared with the UI thread, under m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    FrameQueue m_frames;
    FrameHistory m_history;  // the frames taken from m_frames, for steps back
    SoundQueue m_sound;
    int m_serial = 0;
    bool m_seekPending = false;
    double m_seekTarget = 0.0;
    bool m_seekWhole = false;
    bool m_keyframesOnly = false;
    bool m_deinterlace = false;
    struct Stride {
        double first = 0.0;
        double step = 0.0;  // 0: none
        bool holds(double key) const;
        double nextKey(double t) const;  // the first key at or after t
    };
    Stride m_stride;
    int m_endedSerial = -1;
    double m_queuedBefore = -1e300;  // every frame of the serial starting before it is queued
    int m_gaveUpSerial = -1;  // a read of this serial gave up on an interrupt
    double m_readUpTo = -1e300;  // latest video packet time read under the present serial
    SeekPolicy m_seeks;  // its keyframes under m_mutex, its position the worker's
    bool m_soundWanted = false;
    int m_frameWaits = 0;  // showFrameAt calls waiting for a frame
    bool m_lossy = false;  // frames of the present serial were left out by the decoder
    bool m_abandoned = false;
    double m_soundFloor = -1e300;
    bool m_quit = false;

    int m_missingFrame = 0;  // the UI thread's
    std::atomic<bool> m_behind{false};
    std::atomic<bool> m_reading{false};

    // The worker's own.
    int m_workSerial = 0;
    bool m_workKeyframesOnly = false;
    bool m_workDeinterlace = false;
    Deinterlacer m_deinterlacer;
    double m_landBy = 0.0;  // a seek that lands with a picture after this tries further back
    Stride m_workStride;
    std::vector<double> m_readTimes;  // the latest pictures read, while a stride holds
    HeldPackets m_held;
    PacketPtr m_packet = makePacket();
    PacketPtr m_damaged;  // a damaged video packet, decoded unless the file ends after it
    bool m_readEnded = false;
    bool m_drained = false;
    bool m_checkLanding = false;
    bool m_picturesTimed = false;  // some picture had a time of its own
    double m_lastPacketTime = 0.0;  // of the last video packet read
    bool m_holed = false;  // a picture of a file cut short is missing: none after it is shown
    // Catching up to a seek's target: pictures nothing refers to, shown before a picture read
    // that is still at or before the target, are left out.
    ReferenceScan m_references;
    double m_leaveOutBefore = -1e300;  // the target; far in the past when nothing is left out
    double m_witness = -1e300;         // the latest picture read at or before it
    // A seek's target while no picture after it has come out: at a closed group's keyframe the
    // pictures before it are brought out at once, not after the keyframe's own decoding.
    std::optional<double> m_awaited;
    std::vector<double> m_leftOut;     // the times of the pictures left out
    bool m_skipping = false;
    bool m_stalled = false;  // a read was abandoned: nothing more until the next move
    bool m_reseek = false;
    double m_lastStart = 0.0;
    double m_soundEnd = 0.0;
    std::thread m_thread;
};

}  // namespace kadrel::ffmpeg

#pragma once
// The container: opening a file, choosing its video and sound streams, reading packets and
// seeking. Times are seconds on the program's time line, where 0 is the first video frame
// (the first sound sample for media without video).

#include "common/Status.h"
#include "media/ffmpeg/FfmpegHolders.h"
#include "media/ffmpeg/PipeInput.h"

#include <QString>

#include <atomic>
#include <functional>
#include <vector>

namespace kadrel::ffmpeg {

class Demuxer {
public:
    Status open(const QString& path);
    // While set, a read or seek that would wait for data gives up with AVERROR_EXIT.
    void interrupt(bool on) { m_interrupted = on; }
    bool interrupted() const { return m_interrupted || (m_abandon && m_abandon()); }
    // Asked from any thread while a read waits, the opening's included; true gives up for good.
    void setAbandon(std::function<bool()> abandon) { m_abandon = std::move(abandon); }

    // Read from a FIFO, socket or device: no second look at its end is possible.
    bool isStream() const { return m_pipe.context() != nullptr; }
    AVStream* videoStream() const { return m_video; }
    AVStream* audioStream() const { return m_audio; }
    double duration() const { return m_duration; }
    // Where the last video frame ends; the duration when the file does not tell.
    double videoEnd() const { return m_videoEnd; }
    double timePerFrame() const { return m_timePerFrame; }
    // Clockwise rotation of the picture for display: 0, 90, 180 or 270.
    int rotation() const { return m_rotation; }
    // The recording time the container or its video stream states (creation_time); else empty.
    QString creationTime() const;
    // The start of the last video frame the file promises (its index, else the video's own
    // end); far in the past when it promises nothing.
    double lastPromisedFrame() const { return m_lastPromised; }

    // Seconds of a timestamp of stream s on the program's time line.
    double toSeconds(const AVStream* s, int64_t pts) const;

    // The next packet of the video or sound stream (others are skipped). AVERROR_EOF at the end.
    int read(AVPacket* packet);
    // Positions the reading at the keyframe at or before seconds; before 0, at the first
    // packet of the file.
    int seek(double seconds);

    // Keyframe times known from the container's index at opening, ascending.
    const std::vector<double>& indexedKeyframes() const { return m_keyframes; }

private:
    void chooseStreams();
    void readVideoProperties();
    // Ends on the stream clock, 0 where unknown.
    struct Ends {
        double any = 0.0;
        double video = 0.0;
    };
    void computeDuration(const QString& path);
    Ends tailEnds(const QString& path) const;
    Ends lastPacketsEnds(AVFormatContext* tail) const;
    InputPtr openSecondReader(const QString& path) const;
    static int checkInterrupt(void* demuxer);

    PipeInput m_pipe;  // before m_input, which reads through it until it is closed
    InputPtr m_input;
    AVStream* m_video = nullptr;
    AVStream* m_audio = nullptr;
    double m_origin = 0.0;  // seconds of the stream clock at program time 0
    double m_duration = 0.0;
    double m_videoEnd = 0.0;
    double m_timePerFrame = 0.0;
    int m_rotation = 0;
    double m_lastPromised = -1e300;
    int m_shownPictures = 0;  // by an index listing every picture, else 0
    std::atomic<bool> m_interrupted{false};
    std::function<bool()> m_abandon;
    std::vector<double> m_keyframes;
};

}  // namespace kadrel::ffmpeg

#pragma once
// Sound out, fed from the decode-ahead queue on the UI thread, and the sound's say in the
// playback clock. Made only when the machine has a sound device; having none is normal and
// the engine then plays by the monotonic clock alone.
//
// What is written to the device is continuous on the time line: a chunk that starts later
// than the sound written so far (a late start, a gap in the timestamps) is preceded by
// silence, and sound that would be heard too late (it overlaps, or the device ran dry) is
// skipped. So the position being heard is always the time written minus what is queued, and
// the clock can follow it; while the device has nothing queued (before the start, after the
// end, in an underrun) the clock runs on by itself and the sound rejoins it where it is.

#include "media/ffmpeg/MediaClock.h"
#include "media/ffmpeg/SoundSink.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace kadrel::ffmpeg {

// Gain of an attenuation in hundredths of a decibel: 10^(level/2000); -10000 is silence.
double volumeGain(std::int32_t level);
// Left and right gains of a balance in hundredths of a decibel (negative favours the left).
std::pair<double, double> balanceGains(std::int32_t balance);

class AudioOutput {
public:
    // On the machine's default device (QAudioSink); null when no sound device exists.
    static std::unique_ptr<AudioOutput> create();
    explicit AudioOutput(std::unique_ptr<SoundSink> sink);

    int sampleRate() const { return m_sink->sampleRate(); }
    int channels() const { return m_sink->channels(); }
    void setGains(double left, double right);

    // One step of playback: hands the device what it takes now (sound due before the clock's
    // now is skipped), then lets the clock follow the position being heard.
    void play(SoundSource& source, MediaClock& clock);
    // Drops the sound waiting to be heard, after a move of the position.
    void flush();
    // The time being heard, while the device has sound queued.
    std::optional<double> heard() const;

private:
    void feed(SoundSource& source, double now);
    bool nextChunk(SoundSource& source);
    void write(const int16_t* samples, qint64 frames);
    void writeSilence(qint64 frames);

    std::unique_ptr<SoundSink> m_sink;
    SoundChunk m_chunk;
    size_t m_used = 0;  // samples of m_chunk already written or skipped
    double m_writtenEnd = 0.0;
    double m_left = 1.0;
    double m_right = 1.0;
    std::vector<int16_t> m_scaled;
};

}  // namespace kadrel::ffmpeg

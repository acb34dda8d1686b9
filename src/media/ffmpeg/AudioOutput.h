#pragma once
// Sound out through Qt Multimedia's QAudioSink, in push mode, fed from the decode-ahead
// queue on the UI thread. Made only when the machine has a sound device; having none is
// normal and the engine then plays by the monotonic clock.

#include "media/ffmpeg/DecodeAhead.h"

#include <QAudioFormat>

#include <cstdint>
#include <memory>
#include <optional>

class QAudioSink;
class QIODevice;

namespace kadrel::ffmpeg {

// Gain of an attenuation in hundredths of a decibel: 10^(level/2000); -10000 is silence.
double volumeGain(std::int32_t level);
// Left and right gains of a balance in hundredths of a decibel (negative favours the left).
std::pair<double, double> balanceGains(std::int32_t balance);

class AudioOutput {
public:
    // Null when no sound device exists.
    static std::unique_ptr<AudioOutput> create();
    ~AudioOutput();

    int sampleRate() const { return m_format.sampleRate(); }
    int channels() const { return m_format.channelCount(); }
    void setGains(double left, double right);

    // Hands the device as much sound as it takes now (starting it first).
    void feed(DecodeAhead& source);
    // Drops the sound waiting to be heard, after a move of the position.
    void flush();
    // The media time being heard, once sound has been handed over.
    std::optional<double> clock() const;

private:
    explicit AudioOutput(const QAudioFormat& format);
    void write(const int16_t* samples, size_t count);

    QAudioFormat m_format;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr;
    SoundChunk m_chunk;
    size_t m_used = 0;  // samples of m_chunk already written
    double m_writtenEnd = 0.0;
    bool m_timed = false;
    double m_left = 1.0;
    double m_right = 1.0;
    std::vector<int16_t> m_scaled;
};

}  // namespace kadrel::ffmpeg

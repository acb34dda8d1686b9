#include "media/ffmpeg/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>

namespace kadrel::ffmpeg {

namespace {

// Timestamps closer than this to the sound already written count as continuous.
constexpr double kJoinSlack = 0.01;
constexpr int kBytesPerSample = 2;
// Sound heard further behind the clock than this is skipped rather than waited for.
constexpr double kRejoin = 0.25;

class QtSoundSink final : public SoundSink {
public:
    explicit QtSoundSink(const QAudioFormat& format)
        : m_format(format), m_sink(std::make_unique<QAudioSink>(format))
    {
    }
    ~QtSoundSink() override { m_sink->stop(); }

    int sampleRate() const override { return m_format.sampleRate(); }
    int channels() const override { return m_format.channelCount(); }
    bool open() override
    {
        if (!m_io)
            m_io = m_sink->start();
        return m_io != nullptr;
    }
    qint64 bytesFree() const override { return m_io ? m_sink->bytesFree() : 0; }
    qint64 bytesQueued() const override
    {
        return m_io ? std::max<qint64>(0, m_sink->bufferSize() - m_sink->bytesFree()) : 0;
    }
    void write(const char* data, qint64 bytes) override { m_io->write(data, bytes); }
    void reset() override
    {
        if (m_io)
            m_sink->reset();
        m_io = nullptr;
    }

private:
    QAudioFormat m_format;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr;
};

}  // namespace

double volumeGain(std::int32_t level)
{
    if (level <= -10000)
        return 0.0;
    return std::pow(10.0, std::min(level, 0) / 2000.0);
}

std::pair<double, double> balanceGains(std::int32_t balance)
{
    const double left = balance > 0 ? volumeGain(-balance) : 1.0;
    const double right = balance < 0 ? volumeGain(balance) : 1.0;
    return {left, right};
}

std::unique_ptr<AudioOutput> AudioOutput::create()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    QAudioFormat format;
    format.setSampleRate(device.preferredFormat().sampleRate() > 0
                             ? device.preferredFormat().sampleRate()
                             : 48000);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return nullptr;
    return std::make_unique<AudioOutput>(std::make_unique<QtSoundSink>(format));
}

AudioOutput::AudioOutput(std::unique_ptr<SoundSink> sink) : m_sink(std::move(sink)) {}

void AudioOutput::setGains(double left, double right)
{
    m_left = left;
    m_right = right;
}

void AudioOutput::play(SoundSource& source, MediaClock& clock)
{
    feed(source, clock.now());
    const std::optional<double> position = heard();
    if (!position)
        return;
    if (*position >= clock.now() - kRejoin) {
        clock.follow(*position);
        return;
    }
    // The device fell far behind (it was stuck): its sound is dropped and it rejoins the
    // picture, which does not wait that long.
    m_sink->reset();
    feed(source, clock.now());
}

void AudioOutput::feed(SoundSource& source, double now)
{
    if (!m_sink->open())
        return;
    const qint64 frameBytes = qint64{channels()} * kBytesPerSample;
    // Nothing left to hear: the sound goes on from where the picture is.
    if (m_sink->bytesQueued() < frameBytes)
        m_writtenEnd = now;
    qint64 room = m_sink->bytesFree() / frameBytes;
    while (room > 0 && nextChunk(source)) {
        const qint64 left = qint64(m_chunk.samples.size() - m_used) / channels();
        const double at = m_chunk.start + double(m_used / channels()) / sampleRate();
        qint64 frames = 0;
        if (at > m_writtenEnd + kJoinSlack) {
            frames = std::min(room, std::llround((at - m_writtenEnd) * sampleRate()));
            writeSilence(frames);
        } else if (at < m_writtenEnd - kJoinSlack) {
            const qint64 late = std::min(left, std::llround((m_writtenEnd - at) * sampleRate()));
            m_used += static_cast<size_t>(late * channels());
            continue;
        } else {
            frames = std::min(room, left);
            write(m_chunk.samples.data() + m_used, frames);
            m_used += static_cast<size_t>(frames * channels());
        }
        m_writtenEnd += double(frames) / sampleRate();
        room -= frames;
    }
}

bool AudioOutput::nextChunk(SoundSource& source)
{
    while (m_used >= m_chunk.samples.size()) {
        if (!source.takeSound(m_chunk))
            return false;
        m_used = 0;
    }
    return true;
}

void AudioOutput::write(const int16_t* samples, qint64 frames)
{
    const auto count = static_cast<size_t>(frames * channels());
    m_scaled.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const double gain = (i % 2 == 0) ? m_left : m_right;
        m_scaled[i] = static_cast<int16_t>(std::lround(samples[i] * gain));
    }
    m_sink->write(reinterpret_cast<const char*>(m_scaled.data()),
                  static_cast<qint64>(count * sizeof(int16_t)));
}

void AudioOutput::writeSilence(qint64 frames)
{
    m_scaled.assign(static_cast<size_t>(frames * channels()), 0);
    m_sink->write(reinterpret_cast<const char*>(m_scaled.data()),
                  static_cast<qint64>(m_scaled.size() * sizeof(int16_t)));
}

void AudioOutput::flush()
{
    m_sink->reset();
    m_chunk = {};
    m_used = 0;
}

std::optional<double> AudioOutput::heard() const
{
    const qint64 queued = m_sink->bytesQueued();
    const qint64 frameBytes = qint64{channels()} * kBytesPerSample;
    if (queued < frameBytes)
        return std::nullopt;
    return m_writtenEnd - double(queued / frameBytes) / sampleRate();
}

}  // namespace kadrel::ffmpeg

#include "media/ffmpeg/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>

namespace kadrel::ffmpeg {

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
    return std::unique_ptr<AudioOutput>(new AudioOutput(format));
}

AudioOutput::AudioOutput(const QAudioFormat& format)
    : m_format(format), m_sink(std::make_unique<QAudioSink>(format))
{
}

AudioOutput::~AudioOutput()
{
    m_sink->stop();
}

void AudioOutput::setGains(double left, double right)
{
    m_left = left;
    m_right = right;
}

void AudioOutput::feed(DecodeAhead& source)
{
    if (!m_io)
        m_io = m_sink->start();
    if (!m_io)
        return;
    const int frameBytes = channels() * 2;
    qsizetype room = m_sink->bytesFree() / frameBytes;
    while (room > 0) {
        if (m_used >= m_chunk.samples.size()) {
            if (!source.takeSound(m_chunk))
                return;
            m_used = 0;
            if (!m_timed) {
                m_writtenEnd = m_chunk.start;
                m_timed = true;
            }
        }
        const size_t frames = std::min<size_t>(room, (m_chunk.samples.size() - m_used) / channels());
        write(m_chunk.samples.data() + m_used, frames * channels());
        m_used += frames * channels();
        m_writtenEnd += double(frames) / sampleRate();
        room -= static_cast<qsizetype>(frames);
        if (frames == 0)
            m_used = m_chunk.samples.size();
    }
}

void AudioOutput::write(const int16_t* samples, size_t count)
{
    m_scaled.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const double gain = (i % 2 == 0) ? m_left : m_right;
        m_scaled[i] = static_cast<int16_t>(std::lround(samples[i] * gain));
    }
    m_io->write(reinterpret_cast<const char*>(m_scaled.data()),
                static_cast<qint64>(count * sizeof(int16_t)));
}

void AudioOutput::flush()
{
    if (m_io) {
        m_sink->reset();
        m_io = nullptr;
    }
    m_chunk = {};
    m_used = 0;
    m_timed = false;
}

std::optional<double> AudioOutput::clock() const
{
    if (!m_io || !m_timed)
        return std::nullopt;
    const double queued = double(m_sink->bufferSize() - m_sink->bytesFree())
                          / (channels() * 2 * double(sampleRate()));
    return m_writtenEnd - std::max(0.0, queued);
}

}  // namespace kadrel::ffmpeg

#include "media/ffmpeg/AudioResampler.h"

#include <algorithm>

namespace kadrel::ffmpeg {

void AudioResampler::setOutput(int sampleRate, int channels)
{
    m_rate = sampleRate;
    m_channels = channels;
    m_swr.reset();
}

bool AudioResampler::convert(const AVFrame* frame, std::vector<int16_t>& out)
{
    const bool changed = !m_swr || frame->sample_rate != m_inRate || frame->format != m_inFormat
                         || av_channel_layout_compare(&frame->ch_layout, &m_inLayout) != 0;
    if (changed) {
        AVChannelLayout outLayout{};
        av_channel_layout_default(&outLayout, m_channels);
        SwrContext* raw = nullptr;
        if (swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, m_rate,
                                const_cast<AVChannelLayout*>(&frame->ch_layout),
                                static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                                nullptr)
                < 0
            || swr_init(raw) < 0) {
            swr_free(&raw);
            m_swr.reset();
            return false;
        }
        m_swr.reset(raw);
        av_channel_layout_uninit(&m_inLayout);
        av_channel_layout_copy(&m_inLayout, &frame->ch_layout);
        m_inRate = frame->sample_rate;
        m_inFormat = frame->format;
    }
    return run(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples, out);
}

bool AudioResampler::drain(std::vector<int16_t>& out)
{
    return !m_swr || run(nullptr, 0, out);
}

bool AudioResampler::run(const uint8_t** in, int inSamples, std::vector<int16_t>& out)
{
    const int capacity = swr_get_out_samples(m_swr.get(), inSamples);
    if (capacity <= 0)
        return capacity == 0;
    const size_t before = out.size();
    out.resize(before + static_cast<size_t>(capacity) * m_channels);
    uint8_t* target = reinterpret_cast<uint8_t*>(out.data() + before);
    const int made = swr_convert(m_swr.get(), &target, capacity, in, inSamples);
    out.resize(before + static_cast<size_t>(std::max(made, 0)) * m_channels);
    return made >= 0;
}

}  // namespace kadrel::ffmpeg

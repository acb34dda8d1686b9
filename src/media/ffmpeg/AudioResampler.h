#pragma once
// Turns decoded sound of any layout and rate into interleaved signed 16-bit samples in the
// output's format.

#include "media/ffmpeg/FfmpegHolders.h"

#include <cstdint>
#include <vector>

namespace kadrel::ffmpeg {

class AudioResampler {
public:
    AudioResampler() = default;
    AudioResampler(const AudioResampler&) = delete;
    AudioResampler& operator=(const AudioResampler&) = delete;
    ~AudioResampler() { av_channel_layout_uninit(&m_inLayout); }
    void setOutput(int sampleRate, int channels);
    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }
    // Appends the converted samples of frame to out; false when the frame cannot be converted.
    bool convert(const AVFrame* frame, std::vector<int16_t>& out);
    // Appends the samples still held back (at the end of the sound); false on failure.
    bool drain(std::vector<int16_t>& out);
    // Forgets what is held back, after a move.
    void reset() { m_swr.reset(); }

private:
    bool run(const uint8_t** in, int inSamples, std::vector<int16_t>& out);

    SwrPtr m_swr;
    AVChannelLayout m_inLayout{};
    int m_inRate = 0;
    int m_inFormat = -1;
    int m_rate = 48000;
    int m_channels = 2;
};

}  // namespace kadrel::ffmpeg

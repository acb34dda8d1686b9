#pragma once
// HDR pictures (PQ or HLG transfer, BT.2020 colours) to 8-bit BGRA or 16-bit RGB for an SDR
// screen: the stream's YUV is linearised, its luminance compressed with the BT.2390 curve so
// that the 203-nit reference white becomes SDR white, the colours moved to BT.709 by
// desaturating toward the luminance (hues keep), and the result gamma-encoded for the screen.
// Lookup tables stand in for every curve; large pictures are converted on two threads.

#include "media/ffmpeg/FfmpegHolders.h"

#include <cstdint>
#include <vector>

namespace kadrel::ffmpeg {

class ToneMapper {
public:
    // Whether frame is an HDR picture this class converts (planar YUV of 8 to 16 bits).
    static bool handles(const AVFrame* frame);
    // Writes frame as B,G,R,0xFF rows of frame->width pixels; row y starts at dst + y * stride.
    void convert(const AVFrame* frame, uint8_t* dst, int stride);
    // The same as R, G, B rows of 16-bit samples in the machine's byte order.
    void convertDeep(const AVFrame* frame, uint8_t* dst, int stride);

private:
    struct Rows;
    void prepare(const AVFrame* frame);
    void convertAll(const AVFrame* frame, uint8_t* dst, int stride, bool deep);
    void convertRows(const AVFrame* frame, int first, int last, uint8_t* dst, int stride,
                     bool deep) const;

    int m_transfer = -1;
    double m_peak = 0.0;
    std::vector<float> m_linear;  // signal -> light, relative to the source peak (PQ) or scene
    std::vector<float> m_tone;    // sqrt(that luminance) -> SDR light / that light
    std::vector<uint8_t> m_gamma;  // sqrt(SDR light) -> 8-bit code
    std::vector<uint16_t> m_deepGamma;  // the same, finer, -> 16-bit code
};

}  // namespace kadrel::ffmpeg

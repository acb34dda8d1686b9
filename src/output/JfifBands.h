#pragma once
// A 4:2:0 picture's planes in JFIF's YCbCr (BT.601 matrix, full range), one band of 16 rows
// at a time, as libjpeg takes raw data: the band is converted just before it is encoded,
// while it is still in the cache.
//
// A BT.601 picture only has its range widened. A BT.709 picture is brought to the BT.601
// matrix; its luma then takes a little of the chroma, read at the luma sample's own chroma
// sample, as the RGB conversion reads it.

#include "media/MediaInterfaces.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kadrel {

class JfifBands {
public:
    static constexpr int kLumaRows = 16;   // one row of 2 x 2 blocks of luma
    static constexpr int kChromaRows = 8;  // the same rows of each chroma

    // Sets up the weights for the planes' matrix and range; keeps its memory from picture to
    // picture.
    void start(const YuvPlanes& planes);
    // Converts the band whose first luma row is y0, padded to whole blocks by repeating the
    // last column and row.
    void convert(int y0);
    // The band's rows of component 0 (Y), 1 (Cb) or 2 (Cr).
    std::uint8_t** rows(int component) { return m_rowPointers[component].data(); }

    // One output sample from up to three inputs, their offsets taken off:
    // (weights[0] x0 + weights[1] x1 + weights[2] x2 + offset) >> kShift, clamped to 0..255.
    struct Mix {
        std::array<std::int16_t, 3> weights{};
        std::int32_t offset = 0;
    };
    static constexpr int kShift = 13;

private:
    void convertLuma(int y0);
    void convertChroma(int y0);

    const YuvPlanes* m_planes = nullptr;
    std::int16_t m_lumaBlack = 16;
    Mix m_luma;  // from Y, Cb, Cr
    Mix m_cb;    // from Cb, Cr
    Mix m_cr;
    int m_lumaStride = 0;    // the luma width padded to whole 2 x 2 block rows
    int m_chromaStride = 0;  // the chroma width padded to whole blocks
    std::vector<std::uint8_t> m_band;
    std::array<std::array<std::uint8_t*, kLumaRows>, 3> m_rowPointers{};
};

}  // namespace kadrel

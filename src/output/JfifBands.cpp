#include "output/JfifBands.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kadrel {

namespace {

// Luma weights of red and blue.
struct Weights {
    double red;
    double blue;
};
constexpr Weights kBt601{0.299, 0.114};
constexpr Weights kBt709{0.2126, 0.0722};

struct Signal {
    double y;
    double cb;  // -0.5 .. 0.5
    double cr;
};

// BT.709 YCbCr to BT.601 YCbCr through the R'G'B' both stand for.
Signal toBt601(const Signal& in)
{
    const double r = in.y + 2 * (1 - kBt709.red) * in.cr;
    const double b = in.y + 2 * (1 - kBt709.blue) * in.cb;
    const double g = (in.y - kBt709.red * r - kBt709.blue * b) / (1 - kBt709.red - kBt709.blue);
    const double y = kBt601.red * r + (1 - kBt601.red - kBt601.blue) * g + kBt601.blue * b;
    return {y, (b - y) / (2 * (1 - kBt601.blue)), (r - y) / (2 * (1 - kBt601.red))};
}

std::int16_t weight(double codesPerCode)
{
    return static_cast<std::int16_t>(std::lround(codesPerCode * (1 << JfifBands::kShift)));
}

std::int32_t offset(double codes)
{
    return static_cast<std::int32_t>(std::lround((codes + 0.5) * (1 << JfifBands::kShift)));
}

std::uint8_t mix(const JfifBands::Mix& m, int x0, int x1, int x2)
{
    const std::int32_t sum =
        m.weights[0] * x0 + m.weights[1] * x1 + m.weights[2] * x2 + m.offset;
    return static_cast<std::uint8_t>(std::clamp(sum >> JfifBands::kShift, 0, 255));
}

// Repeats the last sample up to the padded width.
void padRow(std::uint8_t* row, int width, int padded)
{
    std::memset(row + width, row[width - 1], static_cast<std::size_t>(padded - width));
}

#ifdef __SSE2__
__m128i pairWeights(std::int16_t a, std::int16_t b)
{
    return _mm_set1_epi32(static_cast<std::int32_t>(std::uint16_t(a) | (std::uint32_t(b) << 16)));
}

// Eight 16-bit inputs a and b mixed into eight clamped bytes (in the low half).
__m128i mixPairs(__m128i a, __m128i b, __m128i c, __m128i weightsAb, __m128i weightC,
                 __m128i offset)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low =
        _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), weightsAb),
                                    _mm_madd_epi16(_mm_unpacklo_epi16(c, zero), weightC)),
                      offset);
    const __m128i high =
        _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), weightsAb),
                                    _mm_madd_epi16(_mm_unpackhi_epi16(c, zero), weightC)),
                      offset);
    const __m128i words = _mm_packs_epi32(_mm_srai_epi32(low, JfifBands::kShift),
                                          _mm_srai_epi32(high, JfifBands::kShift));
    return _mm_packus_epi16(words, words);
}

__m128i widen(__m128i bytes, __m128i minus)
{
    return _mm_sub_epi16(_mm_unpacklo_epi8(bytes, _mm_setzero_si128()), minus);
}
#endif

}  // namespace

void JfifBands::start(const YuvPlanes& planes)
{
    m_planes = &planes;
    const double lumaSpan = planes.fullRange ? 255 : 219;
    const double chromaSpan = planes.fullRange ? 255 : 224;
    m_lumaBlack = planes.fullRange ? 0 : 16;
    // The map is linear: one input's share of each output, in codes per code.
    auto share = [&](const Signal& in) { return planes.bt709 ? toBt601(in) : in; };
    const Signal fromY = share({255 / lumaSpan, 0, 0});
    const Signal fromCb = share({0, 255 / chromaSpan, 0});
    const Signal fromCr = share({0, 0, 255 / chromaSpan});
    m_luma = {{weight(fromY.y), weight(fromCb.y), weight(fromCr.y)}, offset(0)};
    m_cb = {{weight(fromCb.cb), weight(fromCr.cb), 0}, offset(128)};
    m_cr = {{weight(fromCb.cr), weight(fromCr.cr), 0}, offset(128)};

    m_lumaStride = (planes.width + 15) / 16 * 16;
    m_chromaStride = m_lumaStride / 2;
    m_band.resize(std::size_t(m_lumaStride) * kLumaRows
                  + 2 * std::size_t(m_chromaStride) * kChromaRows);
    std::uint8_t* at = m_band.data();
    for (int y = 0; y < kLumaRows; ++y, at += m_lumaStride)
        m_rowPointers[0][y] = at;
    for (int c = 1; c < 3; ++c)
        for (int y = 0; y < kChromaRows; ++y, at += m_chromaStride)
            m_rowPointers[c][y] = at;
}

void JfifBands::convert(int y0)
{
    convertLuma(y0);
    convertChroma(y0);
}

void JfifBands::convertLuma(int y0)
{
    const YuvPlanes& p = *m_planes;
    for (int i = 0; i < kLumaRows; ++i) {
        const int y = std::min(y0 + i, p.height - 1);
        const std::uint8_t* luma = p.row(0, y);
        const std::uint8_t* cb = p.row(1, y / 2);
        const std::uint8_t* cr = p.row(2, y / 2);
        std::uint8_t* out = m_rowPointers[0][i];
        int x = 0;
#ifdef __SSE2__
        const __m128i black = _mm_set1_epi16(m_lumaBlack);
        const __m128i grey = _mm_set1_epi16(128);
        const __m128i weightsAb = pairWeights(m_luma.weights[0], m_luma.weights[1]);
        const __m128i weightC = pairWeights(m_luma.weights[2], 0);
        const __m128i offsets = _mm_set1_epi32(m_luma.offset);
        // Each chroma sample serves two luma samples.
        auto twice = [&](const std::uint8_t* c) {
            std::int32_t four;
            std::memcpy(&four, c, 4);
            const __m128i words = widen(_mm_cvtsi32_si128(four), grey);
            return _mm_unpacklo_epi16(words, words);
        };
        for (; x + 8 <= p.width; x += 8) {
            const __m128i ys =
                widen(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma + x)), black);
            const __m128i bytes = mixPairs(ys, twice(cb + x / 2), twice(cr + x / 2), weightsAb,
                                           weightC, offsets);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), bytes);
        }
#endif
        for (; x < p.width; ++x)
            out[x] = mix(m_luma, luma[x] - m_lumaBlack, cb[x / 2] - 128, cr[x / 2] - 128);
        padRow(out, p.width, m_lumaStride);
    }
}

void JfifBands::convertChroma(int y0)
{
    const YuvPlanes& p = *m_planes;
    const int width = (p.width + 1) / 2;
    const int height = (p.height + 1) / 2;
    for (int i = 0; i < kChromaRows; ++i) {
        const int y = std::min(y0 / 2 + i, height - 1);
        const std::uint8_t* cb = p.row(1, y);
        const std::uint8_t* cr = p.row(2, y);
        std::uint8_t* outCb = m_rowPointers[1][i];
        std::uint8_t* outCr = m_rowPointers[2][i];
        int x = 0;
#ifdef __SSE2__
        const __m128i grey = _mm_set1_epi16(128);
        const __m128i zero = _mm_setzero_si128();
        const __m128i cbWeights = pairWeights(m_cb.weights[0], m_cb.weights[1]);
        const __m128i crWeights = pairWeights(m_cr.weights[0], m_cr.weights[1]);
        const __m128i cbOffset = _mm_set1_epi32(m_cb.offset);
        const __m128i crOffset = _mm_set1_epi32(m_cr.offset);
        for (; x + 8 <= width; x += 8) {
            const __m128i b =
                widen(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x)), grey);
            const __m128i r =
                widen(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x)), grey);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(outCb + x),
                             mixPairs(b, r, zero, cbWeights, zero, cbOffset));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(outCr + x),
                             mixPairs(b, r, zero, crWeights, zero, crOffset));
        }
#endif
        for (; x < width; ++x) {
            outCb[x] = mix(m_cb, cb[x] - 128, cr[x] - 128, 0);
            outCr[x] = mix(m_cr, cb[x] - 128, cr[x] - 128, 0);
        }
        padRow(outCb, width, m_chromaStride);
        padRow(outCr, width, m_chromaStride);
    }
}

}  // namespace kadrel

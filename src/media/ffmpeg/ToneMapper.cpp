#include "media/ffmpeg/ToneMapper.h"

extern "C" {
#include <libavutil/csp.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace kadrel::ffmpeg {

namespace {

constexpr int kTable = 4096;
// The 16-bit codes' table: finer than a 10-bit source's steps.
constexpr int kDeepTable = 16384;
constexpr double kSdrWhite = 203.0;  // nits shown as SDR white (BT.2408 reference white)
constexpr double kDefaultPeak = 1000.0;
constexpr double kHlgDisplayPeak = 1000.0;
constexpr double kHlgGamma = 1.2;  // the HLG system gamma of a 1000-nit display
constexpr int kThreadRows = 256;   // pictures from this height are split over two threads

// SMPTE ST 2084.
constexpr double kM1 = 0.1593017578125, kM2 = 78.84375;
constexpr double kC1 = 0.8359375, kC2 = 18.8515625, kC3 = 18.6875;

double pqLight(double signal)
{
    const double p = std::pow(std::clamp(signal, 0.0, 1.0), 1.0 / kM2);
    return 10000.0 * std::pow(std::max(p - kC1, 0.0) / (kC2 - kC3 * p), 1.0 / kM1);
}

double pqSignal(double nits)
{
    const double y = std::pow(std::clamp(nits / 10000.0, 0.0, 1.0), kM1);
    return std::pow((kC1 + kC2 * y) / (1.0 + kC3 * y), kM2);
}

// ARIB STD-B67 inverse OETF: scene light 0..1.
double hlgSceneLight(double signal)
{
    constexpr double a = 0.17883277, b = 0.28466892, c = 0.55991073;
    return signal <= 0.5 ? signal * signal / 3.0 : (std::exp((signal - c) / a) + b) / 12.0;
}

// The BT.2390 EETF from a display of peak nits to the SDR white: display light in nits to
// SDR light (1 = white). The knee sits where libplacebo and mpv put it (offset 1 rather than
// 0.5): more room for the highlights, and SDR white lands on white.
double eetf(double nits, double peak)
{
    if (peak <= kSdrWhite)
        return std::min(nits / kSdrWhite, 1.0);
    const double sourcePeak = pqSignal(peak);
    const double e1 = pqSignal(nits) / sourcePeak;
    const double maxLum = pqSignal(kSdrWhite) / sourcePeak;
    const double ks = 2.0 * maxLum - 1.0;
    double e2 = e1;
    if (e1 > ks) {
        const double t = (e1 - ks) / (1.0 - ks);
        const double t2 = t * t, t3 = t2 * t;
        e2 = (2 * t3 - 3 * t2 + 1) * ks + (t3 - 2 * t2 + t) * (1.0 - ks)
             + (-2 * t3 + 3 * t2) * maxLum;
    }
    return std::min(pqLight(e2 * sourcePeak) / kSdrWhite, 1.0);
}

// The brightest light of the stream: its MaxCLL, else its mastering display's peak.
double sourcePeak(const AVFrame* frame)
{
    double peak = kDefaultPeak;
    if (const AVFrameSideData* side =
            av_frame_get_side_data(frame, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA)) {
        const auto* mastering = reinterpret_cast<const AVMasteringDisplayMetadata*>(side->data);
        if (mastering->has_luminance && av_q2d(mastering->max_luminance) > 0)
            peak = av_q2d(mastering->max_luminance);
    }
    if (const AVFrameSideData* side =
            av_frame_get_side_data(frame, AV_FRAME_DATA_CONTENT_LIGHT_LEVEL)) {
        const auto* light = reinterpret_cast<const AVContentLightMetadata*>(side->data);
        if (light->MaxCLL > 0)
            peak = light->MaxCLL;
    }
    return std::clamp(peak, 1.0, 10000.0);
}

// BT.2020 linear light to BT.709 linear light (same white, same luminance).
constexpr float kToBt709[3][3] = {{1.660491f, -0.587641f, -0.072850f},
                                  {-0.124550f, 1.132900f, -0.008349f},
                                  {-0.018151f, -0.100579f, 1.118730f}};
constexpr float kBt2020Luma[3] = {0.2627f, 0.6780f, 0.0593f};
constexpr float kBt709Luma[3] = {0.2126f, 0.7152f, 0.0722f};
constexpr float kNoise = 0.004f;

// By value, so that loops of them vectorise (std::min and std::clamp return references).
float lesser(float a, float b) { return a < b ? a : b; }
float greater(float a, float b) { return a > b ? a : b; }
float unit(float value) { return lesser(greater(value, 0.0f), 1.0f); }

// Colours outside BT.709 move toward their own luminance until they fit: no hue shift. A
// channel a hair below zero (coding noise) is clipped instead, lest greys creep into it.
// Without branches, so that it runs on several pixels at once.
void fitGamut(float rgb[3])
{
    const float y = lesser(
        kBt709Luma[0] * rgb[0] + kBt709Luma[1] * rgb[1] + kBt709Luma[2] * rgb[2], 1.0f);
    const float lo = lesser(lesser(rgb[0], rgb[1]), rgb[2]);
    const float hi = greater(greater(rgb[0], rgb[1]), rgb[2]);
    // Both quotients are worked out always, so that no division waits on a branch.
    const float toZero = (y + kNoise) / (y - lo);
    const float toOne = (1.0f - y) / (hi - y);
    const float fromBelow = lo < -kNoise ? toZero : 1.0f;
    const float fromAbove = hi > 1.0f ? toOne : 1.0f;
    const float keep = greater(lesser(fromBelow, fromAbove), 0.0f);
    for (int i = 0; i < 3; ++i)
        rgb[i] = unit(y + keep * (rgb[i] - y));
}

int tableIndex(float value, float last = kTable - 1) { return int(unit(value) * last + 0.5f); }

// index: each pixel's entries of the gamma table, by channel R, G, B.
void writeBgra(const uint8_t* gamma, const int* const index[3], int width, uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        out[4 * x] = gamma[index[2][x]];
        out[4 * x + 1] = gamma[index[1][x]];
        out[4 * x + 2] = gamma[index[0][x]];
        out[4 * x + 3] = 0xFF;
    }
}

// The same as R, G, B samples of 16 bits, copied as bytes: the caller's buffer may start at
// any address.
void writeDeep(const uint16_t* gamma, const int* const index[3], int width, uint8_t* out)
{
    for (int x = 0; x < width; ++x)
        for (int i = 0; i < 3; ++i)
            std::memcpy(out + 6 * x + 2 * i, gamma + index[i][x], 2);
}

}  // namespace

// Per frame: how its samples read and turn into normalised Y, Cb, Cr.
struct ToneMapper::Rows {
    int chromaShiftX = 0;
    int chromaShiftY = 0;
    bool wide = false;  // 16-bit samples
    float lumaOffset = 0, lumaScale = 1, chromaOffset = 0, chromaScale = 1;
    float crToR = 0, cbToG = 0, crToG = 0, cbToB = 0;

    explicit Rows(const AVFrame* frame)
    {
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
        chromaShiftX = desc->log2_chroma_w;
        chromaShiftY = desc->log2_chroma_h;
        const int depth = desc->comp[0].depth;
        wide = desc->comp[0].step > 1;
        const float unit = float(1 << (depth - 8));
        if (frame->color_range == AVCOL_RANGE_JPEG) {
            lumaScale = chromaScale = 1.0f / float((1 << depth) - 1);
            chromaOffset = float(1 << (depth - 1));
        } else {
            lumaOffset = 16 * unit;
            lumaScale = 1.0f / (219 * unit);
            chromaOffset = 128 * unit;
            chromaScale = 1.0f / (224 * unit);
        }
        const AVLumaCoefficients* luma = av_csp_luma_coeffs_from_avcsp(frame->colorspace);
        if (!luma || frame->colorspace == AVCOL_SPC_UNSPECIFIED)
            luma = av_csp_luma_coeffs_from_avcsp(AVCOL_SPC_BT2020_NCL);
        const float kr = float(av_q2d(luma->cr)), kb = float(av_q2d(luma->cb));
        const float kg = 1.0f - kr - kb;
        crToR = 2 * (1 - kr);
        cbToB = 2 * (1 - kb);
        cbToG = 2 * kb * (1 - kb) / kg;
        crToG = 2 * kr * (1 - kr) / kg;
    }

    // count samples of row y of plane, less offset, times scale.
    void read(const AVFrame* frame, int plane, int y, int count, float offset, float scale,
              float* into) const
    {
        const uint8_t* row = frame->data[plane] + ptrdiff_t(y) * frame->linesize[plane];
        if (wide) {
            const auto* samples = reinterpret_cast<const uint16_t*>(row);
            for (int x = 0; x < count; ++x)
                into[x] = (float(samples[x]) - offset) * scale;
        } else {
            for (int x = 0; x < count; ++x)
                into[x] = (float(row[x]) - offset) * scale;
        }
    }

    // The chroma of luma row y at every column: bilinear, sited left and centred vertically.
    // near and far hold a chroma row each.
    void chroma(const AVFrame* frame, int plane, int y, float* near, float* far, float* into) const
    {
        const int width = (frame->width + (1 << chromaShiftX) - 1) >> chromaShiftX;
        const int height = (frame->height + (1 << chromaShiftY) - 1) >> chromaShiftY;
        const float cy = std::max((y + 0.5f) / float(1 << chromaShiftY) - 0.5f, 0.0f);
        const int y0 = std::min(int(cy), height - 1);
        const float fy = cy - float(int(cy));
        read(frame, plane, y0, width, chromaOffset, chromaScale, near);
        read(frame, plane, std::min(y0 + 1, height - 1), width, chromaOffset, chromaScale, far);
        for (int x = 0; x < width; ++x)
            near[x] += fy * (far[x] - near[x]);
        near[width] = near[width - 1];
        if (chromaShiftX == 0) {
            std::copy(near, near + width, into);
            return;
        }
        for (int x = 0; x < width; ++x) {
            into[2 * x] = near[x];
            into[2 * x + 1] = 0.5f * (near[x] + near[x + 1]);
        }
    }
};

bool ToneMapper::handles(const AVFrame* frame)
{
    if (frame->color_trc != AVCOL_TRC_SMPTE2084 && frame->color_trc != AVCOL_TRC_ARIB_STD_B67)
        return false;
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    if (!desc || desc->nb_components < 3 || desc->log2_chroma_w > 1 || desc->log2_chroma_h > 1
        || (desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_PAL
                           | AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BITSTREAM)))
        return false;
    for (int i = 0; i < 3; ++i) {
        const AVComponentDescriptor& c = desc->comp[i];
        if (c.plane != i || c.shift != 0 || c.depth < 8 || c.depth > 16
            || c.step != (c.depth > 8 ? 2 : 1))
            return false;
    }
    return true;
}

void ToneMapper::prepare(const AVFrame* frame)
{
    const bool hlg = frame->color_trc == AVCOL_TRC_ARIB_STD_B67;
    const double peak = hlg ? kHlgDisplayPeak : sourcePeak(frame);
    if (m_transfer == frame->color_trc && m_peak == peak)
        return;
    m_transfer = frame->color_trc;
    m_peak = peak;
    // Light relative to the peak (PQ) or scene light (HLG), so that luminance runs 0..1.
    m_linear.resize(kTable);
    for (int i = 0; i < kTable; ++i) {
        const double signal = double(i) / (kTable - 1);
        m_linear[i] = float(hlg ? hlgSceneLight(signal) : pqLight(signal) / peak);
    }
    // Indexed by the square root of that luminance: the ratio of SDR light to it.
    m_tone.resize(kTable + 2);
    for (int i = 0; i <= kTable; ++i) {
        const double y = std::pow(double(i) / kTable, 2.0);
        const double nits = hlg ? peak * std::pow(y, kHlgGamma) : y * peak;
        double ratio = hlg ? 0.0 : peak / kSdrWhite;
        if (i > 0)
            ratio = eetf(nits, peak) / y;
        m_tone[i] = float(ratio);
    }
    m_tone[kTable + 1] = m_tone[kTable];
    // Indexed by the square root of SDR light: the BT.1886 display's 8-bit code.
    m_gamma.resize(kTable);
    for (int i = 0; i < kTable; ++i) {
        const double light = std::pow(double(i) / (kTable - 1), 2.0);
        m_gamma[i] = uint8_t(std::lround(255.0 * std::pow(light, 1.0 / 2.4)));
    }
    if (!m_deepGamma.empty())
        return;
    m_deepGamma.resize(kDeepTable);
    for (int i = 0; i < kDeepTable; ++i) {
        const double light = std::pow(double(i) / (kDeepTable - 1), 2.0);
        m_deepGamma[i] = uint16_t(std::lround(65535.0 * std::pow(light, 1.0 / 2.4)));
    }
}

void ToneMapper::convert(const AVFrame* frame, uint8_t* dst, int stride)
{
    convertAll(frame, dst, stride, false);
}

void ToneMapper::convertDeep(const AVFrame* frame, uint8_t* dst, int stride)
{
    convertAll(frame, dst, stride, true);
}

void ToneMapper::convertAll(const AVFrame* frame, uint8_t* dst, int stride, bool deep)
{
    prepare(frame);
    const int height = frame->height;
    if (height < kThreadRows) {
        convertRows(frame, 0, height, dst, stride, deep);
        return;
    }
    const int half = height / 2;
    std::thread second([&] { convertRows(frame, half, height, dst, stride, deep); });
    convertRows(frame, 0, half, dst, stride, deep);
    second.join();
}

// In stages over a row, so that the arithmetic runs four or eight pixels at a time and only
// the table lookups go one by one.
void ToneMapper::convertRows(const AVFrame* frame, int first, int last, uint8_t* dst,
                             int stride, bool deep) const
{
    const Rows rows(frame);
    const int width = frame->width;
    const size_t room = size_t(width) + 2;
    std::vector<float> buffer(9 * room);
    float* luma = buffer.data();
    float* cb = luma + room;
    float* cr = cb + room;
    float* near = cr + room;
    float* far = near + room;
    float* light[3] = {far + room, far + 2 * room, far + 3 * room};
    float* ratio = light[2] + room;
    std::vector<int> indices(3 * room);
    int* index[3] = {indices.data(), indices.data() + room, indices.data() + 2 * room};
    const float gammaLast = deep ? kDeepTable - 1 : kTable - 1;
    const uint8_t* gamma = m_gamma.data();
    const uint16_t* deepGamma = m_deepGamma.data();
    const float* linear = m_linear.data();
    const float* tone = m_tone.data();
    for (int y = first; y < last; ++y) {
        rows.read(frame, 0, y, width, rows.lumaOffset, rows.lumaScale, luma);
        rows.chroma(frame, 1, y, near, far, cb);
        rows.chroma(frame, 2, y, near, far, cr);
        for (int x = 0; x < width; ++x) {
            index[0][x] = tableIndex(luma[x] + rows.crToR * cr[x]);
            index[1][x] = tableIndex(luma[x] - rows.cbToG * cb[x] - rows.crToG * cr[x]);
            index[2][x] = tableIndex(luma[x] + rows.cbToB * cb[x]);
        }
        for (int i = 0; i < 3; ++i)
            for (int x = 0; x < width; ++x)
                light[i][x] = linear[index[i][x]];
        for (int x = 0; x < width; ++x) {
            const float lum = kBt2020Luma[0] * light[0][x] + kBt2020Luma[1] * light[1][x]
                              + kBt2020Luma[2] * light[2][x];
            const float at = std::sqrt(lesser(lum, 1.0f)) * kTable;
            index[0][x] = int(at);
            ratio[x] = at - float(index[0][x]);
        }
        for (int x = 0; x < width; ++x) {
            const float* pair = tone + index[0][x];
            ratio[x] = pair[0] + ratio[x] * (pair[1] - pair[0]);
        }
        for (int x = 0; x < width; ++x) {
            float sdr[3];
            for (int i = 0; i < 3; ++i)
                sdr[i] = ratio[x] * (kToBt709[i][0] * light[0][x] + kToBt709[i][1] * light[1][x]
                                     + kToBt709[i][2] * light[2][x]);
            fitGamut(sdr);
            for (int i = 0; i < 3; ++i)
                index[i][x] = tableIndex(std::sqrt(sdr[i]), gammaLast);
        }
        uint8_t* out = dst + ptrdiff_t(y) * stride;
        if (deep)
            writeDeep(deepGamma, index, width, out);
        else
            writeBgra(gamma, index, width, out);
    }
}

}  // namespace kadrel::ffmpeg

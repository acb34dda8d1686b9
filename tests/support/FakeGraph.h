#pragma once
// A recording filter graph: every call logged as "put_Width(329)", chosen operations failing
// on demand, and a position that moves only when a test moves it.

#include "media/MediaErrors.h"
#include "media/MediaInterfaces.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>

namespace kadrel::test {

// Shared by every graph a FakeGraphFactory creates.
struct FakeGraphScript {
    QStringList calls;          // every call of every graph, in order
    QSet<QString> failing;      // operation names that fail, e.g. "Pause"
    bool renderFails = false, hasVideo = true;
    double duration = 10.0, timePerFrame = 0.04;
    double videoEnd = -1.0;     // below 0: the picture lasts as long as the media
    std::int32_t videoWidth = 32, videoHeight = 24;
    int bitsPerPixel = 32;      // 24 or 32: the DIB GetCurrentImage delivers
    int keyframeEvery = 1;      // frame n = position / timePerFrame is a keyframe when n % it == 0
    bool interlaced = false;    // every picture is flagged interlaced
    std::function<std::uint8_t(double position)> luma = [](double) { return std::uint8_t{0}; };
};

class FakeGraph final : public IMediaControl, public IMediaPosition, public IBasicAudio,
                        public IBasicVideo, public IVideoWindow, public IMediaEvent {
public:
    explicit FakeGraph(std::shared_ptr<FakeGraphScript> script) : m_script(std::move(script)) {}

    Status RenderFile(const QString& path) override
    {
        const Status s = record(QStringLiteral("RenderFile(%1)").arg(path), "RenderFile");
        return m_script->renderFails ? Status::failure(2, "Cannot render the file") : s;
    }
    Status Run() override { return record("Run"); }
    Status Pause() override { return record("Pause"); }
    Status Stop() override { return record("Stop"); }

    Status put_Rate(double rate) override { return call("put_Rate", rate); }
    Result<double> get_Duration() override { return query("get_Duration", m_script->duration); }
    Result<double> get_CurrentPosition() override { return query("get_CurrentPosition", position); }
    Status put_CurrentPosition(double seconds) override
    {
        return keep(call("put_CurrentPosition", seconds), position,
                    std::clamp(seconds, 0.0, m_script->duration));
    }

    Status put_Volume(std::int32_t v) override { return keep(call("put_Volume", v), volume, v); }
    Status put_Balance(std::int32_t b) override { return call("put_Balance", b); }

    Result<double> get_AvgTimePerFrame() override
    {
        return query("get_AvgTimePerFrame", m_script->timePerFrame, true);
    }
    Result<double> get_VideoEnd() override
    {
        return query("get_VideoEnd", videoEnd(), true);
    }
    Result<std::int32_t> get_VideoWidth() override { return size("get_VideoWidth", true); }
    Result<std::int32_t> get_VideoHeight() override { return size("get_VideoHeight", false); }
    // A DIB whose pixel bytes count up from 0 (mod 256).
    Status GetCurrentImage(std::int32_t bufferSize, void* buffer) override
    {
        const QString entry = QStringLiteral("GetCurrentImage(%1)").arg(bufferSize);
        if (Status s = record(entry, "GetCurrentImage"); !s)
            return s;
        const std::int32_t w = m_script->videoWidth, h = m_script->videoHeight;
        const int bits = m_script->bitsPerPixel;
        const std::int64_t pixelBytes = (std::int64_t{w} * bits + 31) / 32 * 4 * h;
        if (bufferSize < 40 + pixelBytes)
            return Status::failure(8, QStringLiteral("Buffer too small"));
        const std::int32_t header[10] = {40, w, h, 1 | (bits << 16)};
        auto* bytes = static_cast<unsigned char*>(buffer);
        std::memcpy(bytes, header, sizeof header);
        for (std::int64_t i = 0; i < pixelBytes; ++i)
            bytes[40 + i] = static_cast<unsigned char>(i);
        return {};
    }

    // A 16-bit picture whose samples count up from 0 (mod 65536).
    Status GetCurrentImageDeep(std::int32_t bufferSize, void* buffer) override
    {
        const DeepImageHeader header{m_script->videoWidth, m_script->videoHeight};
        const std::int64_t samples = std::int64_t{3} * header.width * header.height;
        if (bufferSize < std::int64_t{sizeof header} + 2 * samples)
            return Status::failure(8, QStringLiteral("Buffer too small"));
        std::memcpy(buffer, &header, sizeof header);
        auto* rows = reinterpret_cast<std::uint16_t*>(static_cast<char*>(buffer) + sizeof header);
        std::iota(rows, rows + samples, std::uint16_t{0});
        return record(QStringLiteral("GetCurrentImageDeep(%1)").arg(bufferSize),
                      "GetCurrentImageDeep");
    }

    // Frame n on the timePerFrame grid: start, time stamp n, a keyframe every keyframeEvery.
    Result<PictureFacts> get_CurrentPicture() override
    {
        const std::int64_t n = std::llround(position / m_script->timePerFrame);
        const PictureFacts facts{n, position, n % m_script->keyframeEvery == 0,
                                 m_script->interlaced, m_script->interlaced && deinterlace};
        return query("get_CurrentPicture", facts, true);
    }
    Status GetCurrentLuma(LumaPlane& into) override
    {
        into.width = m_script->videoWidth;
        into.height = m_script->videoHeight;
        into.samples.assign(std::size_t(into.width) * into.height, m_script->luma(position));
        into.useSamples();
        return record("GetCurrentLuma", {}, true);
    }
    Status put_KeyframesOnly(bool only) override
    {
        return keep(call("put_KeyframesOnly", only), keyframesOnly, only);
    }
    Status put_TargetStride(double first, double step) override
    {
        return record(QStringLiteral("put_TargetStride(%1, %2)").arg(first).arg(step),
                      "put_TargetStride", true);
    }
    Status put_ToneMapping(bool on) override
    {
        return keep(call("put_ToneMapping", on), toneMapping, on);
    }
    Status put_Deinterlace(bool on) override
    {
        return keep(call("put_Deinterlace", on), deinterlace, on);
    }
    // The next frame, or the next keyframe while keyframes only; none at the video's end.
    Result<double> get_NextPictureStart() override
    {
        const double t = m_script->timePerFrame, every = m_script->keyframeEvery;
        const double next = keyframesOnly
            ? (std::floor(std::llround(position / t) / every) + 1) * every * t : position + t;
        const Result<double> s = query("get_NextPictureStart", next, true);
        if (s && next + 1e-9 >= videoEnd())
            return Status::failure(mediaerror::kNoNextPicture,
                                   "There is no picture after this one");
        return s;
    }

    Status put_WindowStyle(std::int32_t s) override { return video("put_WindowStyle", s); }
    Status put_Left(std::int32_t v) override { return video("put_Left", v); }
    Status put_Top(std::int32_t v) override { return video("put_Top", v); }
    Status put_Width(std::int32_t v) override { return video("put_Width", v); }
    Status put_Height(std::int32_t v) override { return video("put_Height", v); }
    Status put_Owner(QWidget* newOwner) override
    {
        const QString name = newOwner ? newOwner->objectName() : QStringLiteral("0");
        return keep(record(QStringLiteral("put_Owner(%1)").arg(name), "put_Owner", true), owner,
                    QPointer(newOwner));
    }

    double position = 0.0;
    std::int32_t volume = 0;
    bool keyframesOnly = false;
    bool toneMapping = true;
    bool deinterlace = false;
    QPointer<QWidget> owner;

private:
    double videoEnd() const
    {
        return m_script->videoEnd < 0 ? m_script->duration : m_script->videoEnd;
    }
    // Logs entry; fails without video when the call needs it, or as the script says.
    Status record(const QString& entry, QString name = {}, bool needsVideo = false) const
    {
        m_script->calls << entry;
        if (needsVideo && !m_script->hasVideo)
            return Status::failure(7, QStringLiteral("No video"));
        const QString& operation = name.isEmpty() ? entry : name;
        if (m_script->failing.contains(operation))
            return Status::failure(5, operation + QStringLiteral(" failed"));
        return {};
    }
    Status call(const QString& name, double argument)
    {
        return record(QStringLiteral("%1(%2)").arg(name, QString::number(argument, 'g', 12)), name);
    }
    Status video(const QString& name, std::int32_t argument)
    {
        return record(QStringLiteral("%1(%2)").arg(name).arg(argument), name, true);
    }
    Result<std::int32_t> size(const QString& name, bool width) const
    {
        return query(name, width ? m_script->videoWidth : m_script->videoHeight, true);
    }
    template <typename T>
    Result<T> query(const QString& name, T value, bool needsVideo = false) const
    {
        const Status s = record(name, name, needsVideo);
        return s ? Result<T>(value) : Result<T>(s);
    }
    template <typename T>
    static Status keep(Status s, T& field, T value)
    {
        if (s)
            field = value;
        return s;
    }

    std::shared_ptr<FakeGraphScript> m_script;
};

// FakeGraphs on one script; the last one built.
class FakeGraphFactory {
public:
    GraphFactory factory()
    {
        return [this] { return last = std::make_shared<FakeGraph>(script); };
    }
    std::shared_ptr<FakeGraphScript> script = std::make_shared<FakeGraphScript>();
    std::shared_ptr<FakeGraph> last;
};

}  // namespace kadrel::test

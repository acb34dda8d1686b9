#pragma once
// A recording stand-in for the filter graph manager: every call is logged as text such as
// "put_Width(329)", chosen operations fail on demand, and the position behaves like a
// simple player (no clock: it moves only when a test moves it).

#include "media/MediaInterfaces.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

namespace kadrel::test {

// Configuration and log shared by every graph a FakeGraphFactory creates.
struct FakeGraphScript {
    QStringList calls;          // every call of every graph, in order
    QSet<QString> failing;      // operation names that fail, e.g. "Pause"
    bool renderFails = false;
    bool hasVideo = true;
    double duration = 10.0;
    double timePerFrame = 0.04;
    std::int32_t videoWidth = 32;
    std::int32_t videoHeight = 24;
    int bitsPerPixel = 32;      // 24 or 32: the DIB GetCurrentImage delivers
    int graphsCreated = 0;
};

class FakeGraph final : public IMediaControl,
                        public IMediaPosition,
                        public IBasicAudio,
                        public IBasicVideo,
                        public IVideoWindow,
                        public IMediaEvent {
public:
    explicit FakeGraph(std::shared_ptr<FakeGraphScript> script) : m_script(std::move(script)) {}

    Status RenderFile(const QString& path) override;
    Status Run() override { return call(QStringLiteral("Run")); }
    Status Pause() override { return call(QStringLiteral("Pause")); }
    Status Stop() override { return call(QStringLiteral("Stop")); }

    Status put_Rate(double rate) override { return call(QStringLiteral("put_Rate"), rate); }
    Result<double> get_Duration() override;
    Result<double> get_CurrentPosition() override;
    Status put_CurrentPosition(double seconds) override;

    Status put_Volume(std::int32_t level) override;
    Status put_Balance(std::int32_t b) override { return call(QStringLiteral("put_Balance"), b); }

    Result<double> get_AvgTimePerFrame() override;
    Result<std::int32_t> get_VideoWidth() override;
    Result<std::int32_t> get_VideoHeight() override;
    // Delivers a DIB of bitsPerPixel whose pixel bytes count up from 0 (mod 256).
    Status GetCurrentImage(std::int32_t bufferSize, void* buffer) override;

    Status put_WindowStyle(std::int32_t s) override { return video(QStringLiteral("put_WindowStyle"), s); }
    Status put_Left(std::int32_t v) override { return video(QStringLiteral("put_Left"), v); }
    Status put_Top(std::int32_t v) override { return video(QStringLiteral("put_Top"), v); }
    Status put_Width(std::int32_t v) override { return video(QStringLiteral("put_Width"), v); }
    Status put_Height(std::int32_t v) override { return video(QStringLiteral("put_Height"), v); }
    Status put_Owner(QWidget* owner) override;

    double position = 0.0;
    std::int32_t volume = 0;
    QPointer<QWidget> owner;

private:
    Status call(const QString& name, double argument);
    Status call(const QString& name);
    Status video(const QString& name, std::int32_t argument);
    Status outcome(const QString& name) const;

    std::shared_ptr<FakeGraphScript> m_script;
};

// Builds FakeGraphs on one shared script and remembers the last one built.
class FakeGraphFactory {
public:
    FakeGraphFactory() : script(std::make_shared<FakeGraphScript>()) {}
    GraphFactory factory();
    std::shared_ptr<FakeGraphScript> script;
    std::shared_ptr<FakeGraph> last;
};

}  // namespace kadrel::test

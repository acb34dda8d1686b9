// kadrel-play-bench: plays a video with its sound in a window, as the program does, and
// reports what was seen and heard.
//
//   kadrel-play-bench VIDEO          plays VIDEO from its start to its end
//   kadrel-play-bench gaps RECORDING  the longest silence inside the sound of a recording
//                                     (raw s16le mono 48 kHz, e.g. parec of a null sink)
//
// The picture is shown in a 960x540 window (the offscreen platform unless QT_QPA_PLATFORM
// says otherwise); the sound goes to the default device. Output, one line:
//   painted=<paints> frames=<frames in the video> media_s=<duration> wall_s=<real time>
//   longest_gap_ms=<ms> heard_s=<seconds of sound in the recording>
// Exit status 1 when the video cannot be played or does not reach its end.

#include "BenchMain.h"
#include "media/ffmpeg/FilgraphManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <cstdio>

namespace kadrel {
namespace {

constexpr int kRecordRate = 48000;
constexpr int kQuiet = 300;  // of 32767: below this a sample counts as silence

int fail(const QString& reason)
{
    std::fprintf(stderr, "kadrel-play-bench: %s\n", qPrintable(reason));
    return 1;
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// The longest run of silence between the first and the last sound of a recording (raw
// signed 16-bit mono at kRecordRate), and the seconds of sound in it.
std::pair<double, double> gapsIn(const QByteArray& bytes)
{
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.constData());
    qsizetype lastLoud = -1;
    qsizetype longest = 0;
    qsizetype loud = 0;
    for (qsizetype i = 0; i < bytes.size() / 2; ++i) {
        if (std::abs(samples[i]) < kQuiet)
            continue;
        if (lastLoud >= 0)
            longest = std::max(longest, i - lastLoud - 1);
        lastLoud = i;
        ++loud;
    }
    return {double(longest) / kRecordRate, double(loud) / kRecordRate};
}

int gaps(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(path));
    const auto [longest, heard] = gapsIn(file.readAll());
    std::printf("longest_gap_ms=%.0f heard_s=%.2f\n", longest * 1000, heard);
    return 0;
}

int play(const QString& path)
{
    ffmpeg::FilgraphManager graph;
    if (const Status s = graph.RenderFile(path); !s)
        return fail(s.text());
    const double duration = graph.get_Duration().valueOr(0.0);
    const double frameTime = graph.get_AvgTimePerFrame().valueOr(0.0);
    QWidget window;
    window.resize(960, 540);
    window.show();
    PaintCounter counter;
    if (!graph.put_Width(960) || !graph.put_Height(540) || !graph.put_Owner(&window))
        return fail(QStringLiteral("%1 has no picture").arg(path));
    graph.surface()->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;

    QElapsedTimer wall;
    wall.start();
    if (const Status s = graph.Run(); !s)
        return fail(s.text());
    bool ended = false;
    const qint64 limit = qint64(duration * 3000) + 10000;
    while (!ended && wall.elapsed() < limit) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ended = graph.get_CurrentPosition().valueOr(0.0) >= duration;
    }
    const double seconds = wall.nsecsElapsed() / 1e9;
    std::printf("painted=%d frames=%ld media_s=%.2f wall_s=%.2f\n", counter.paints,
                frameTime > 0 ? std::lround(duration / frameTime) : 0L, duration, seconds);
    return ended ? 0 : fail(QStringLiteral("the end was not reached"));
}

}  // namespace
}  // namespace kadrel

int main(int argc, char** argv)
{
    return kadrel::runBench(argc, argv, [](const QStringList& args) {
        if (args.size() == 2 && args[0] == QLatin1String("gaps"))
            return kadrel::gaps(args[1]);
        if (args.size() != 1)
            return kadrel::fail(QStringLiteral("usage: kadrel-play-bench VIDEO | gaps RECORDING"));
        return kadrel::play(args[0]);
    });
}

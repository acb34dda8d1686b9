// The real sound path: a private PulseAudio server with a null sink, started by this test
// program in a runtime folder of its own, and a short-sound clip played through QAudioSink
// to its end. Skipped, with the reason, only where the server cannot start.

#include "media/ffmpeg/AudioOutput.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "support/MediaGenerator.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace kadrel {
namespace {

// The server lives as long as the test program; QtMultimedia connects to it on first use.
class PulseServer {
public:
    PulseServer()
    {
        if (!m_folder.isValid()) {
            m_failure = QStringLiteral("no temporary folder");
            return;
        }
        QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner
                                                   | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_folder.path()));
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket()));
        QProcess server;
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(QStringLiteral("pulseaudio"),
                     {QStringLiteral("-D"), QStringLiteral("-n"), QStringLiteral("--exit-idle-time=-1"),
                      QStringLiteral("--load=module-null-sink"),
                      QStringLiteral("--load=module-native-protocol-unix")});
        if (!server.waitForFinished(20000) || server.exitCode() != 0
            || !QFile::exists(socket())) {
            m_failure = QStringLiteral("pulseaudio did not start: %1 %2")
                            .arg(server.errorString(), QString::fromLocal8Bit(server.readAll()));
            return;
        }
        QFile pid(m_folder.filePath(QStringLiteral("pulse/pid")));
        if (pid.open(QIODevice::ReadOnly))
            m_pid = pid.readAll().trimmed().toInt();
    }
    ~PulseServer()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
    }
    const QString& failure() const { return m_failure; }
    QString folder() const { return m_folder.path(); }

private:
    QString socket() const { return m_folder.filePath(QStringLiteral("pulse/native")); }

    QTemporaryDir m_folder;
    QString m_failure;
    int m_pid = 0;
};

PulseServer* server = nullptr;

int frameOnShow(ffmpeg::FilgraphManager& graph)
{
    const int pixels = graph.get_VideoWidth().valueOr(0) * graph.get_VideoHeight().valueOr(0);
    QByteArray bmp = QByteArray("BM") + QByteArray(8, '\0') + char(54)
                     + QByteArray(43 + 4 * pixels, '\0');
    return graph.GetCurrentImage(40 + 4 * pixels, bmp.data() + 14)
               ? test::frameIndexFromBitmap(bmp)
               : -1;
}

// 2 s of picture with half a second of sound: the picture plays to its end at normal
// speed after the sound has ended, and the sound went to the server's sink.
TEST(PulsePlayback, ShortSoundPlaysToTheEndOfThePicture)
{
    if (!server->failure().isEmpty())
        GTEST_SKIP() << "No PulseAudio server: " << qPrintable(server->failure());
    ASSERT_TRUE(ffmpeg::AudioOutput::create()) << "the null sink is no sound device";
    const QString path = server->folder() + QStringLiteral("/short-sound.mkv");
    ASSERT_TRUE(test::generateClip({.frames = 50, .withAudio = true, .soundSeconds = 0.5}, path));
    ffmpeg::FilgraphManager graph;
    ASSERT_TRUE(graph.RenderFile(path));
    const double duration = graph.get_Duration().value();
    ASSERT_TRUE(graph.Run());
    QTest::qWait(200);
    QProcess inputs;
    inputs.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"),
                                           QStringLiteral("sink-inputs")});
    ASSERT_TRUE(inputs.waitForFinished(10000));
    EXPECT_FALSE(inputs.readAllStandardOutput().trimmed().isEmpty()) << "nothing played";
    EXPECT_TRUE(QTest::qWaitFor([&] { return graph.get_CurrentPosition().value() >= duration; },
                                int(duration * 1000) + 5000))
        << "stuck at " << graph.get_CurrentPosition().value();
    EXPECT_EQ(frameOnShow(graph), 49);
}

}  // namespace
}  // namespace kadrel

int main(int argc, char** argv)
{
    kadrel::PulseServer pulse;
    kadrel::server = &pulse;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

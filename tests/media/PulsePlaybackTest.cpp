// The real sound path: a private PulseAudio server with a null sink in a runtime folder of its
// own, and a short-sound clip played through QAudioSink. Skipped only if the server fails.

#include "media/ffmpeg/AudioOutput.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "support/EngineClips.h"

#include <QApplication>
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
        QFile::setPermissions(m_folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_folder.path()));
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket()));
        QProcess server;
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(QStringLiteral("pulseaudio"),
                     QStringList{"-D", "-n", "--exit-idle-time=-1", "--load=module-null-sink",
                                 "--load=module-native-protocol-unix"});
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

private:
    QString socket() const { return m_folder.filePath(QStringLiteral("pulse/native")); }

    QTemporaryDir m_folder;
    QString m_failure;
    int m_pid = 0;
};

PulseServer* server = nullptr;

// 2 s of picture, 0.5 s of sound: the picture plays on to its end; the sound reached the sink.
TEST(PulsePlayback, ShortSoundPlaysToTheEndOfThePicture)
{
    if (!server->failure().isEmpty())
        GTEST_SKIP() << "No PulseAudio server: " << qPrintable(server->failure());
    ASSERT_TRUE(ffmpeg::AudioOutput::create()) << "the null sink is no sound device";
    auto graph = test::render(
        test::clip("short-sound.mkv", {.frames = 50, .withAudio = true, .soundSeconds = 0.5}));
    const double duration = graph->get_Duration().value();
    ASSERT_TRUE(graph->Run());
    QTest::qWait(200);
    QProcess inputs;
    inputs.start(QStringLiteral("pactl"), QStringList{"list", "short", "sink-inputs"});
    ASSERT_TRUE(inputs.waitForFinished(10000));
    EXPECT_FALSE(inputs.readAllStandardOutput().trimmed().isEmpty()) << "nothing played";
    EXPECT_TRUE(QTest::qWaitFor([&] { return graph->get_CurrentPosition().value() >= duration; },
                                int(duration * 1000) + 5000))
        << "stuck at " << graph->get_CurrentPosition().value();
    EXPECT_EQ(test::frameOnShow(*graph).valueOr(-1), 49);
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

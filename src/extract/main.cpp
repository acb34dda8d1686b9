// kadrel-extract: saves the frames of a video as numbered image files from the command line.
// See kadrel-extract.1.

#include "extract/ExtractOptions.h"
#include "extract/Extractor.h"

#include <QApplication>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// Set by SIGINT and SIGTERM, on whichever thread they land; the run stops after the file in
// hand, and a read that waits for data gives up.
std::atomic<bool> stopSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler stores it");

void requestStop(int)
{
    stopSignal.store(true);
}

// Standard error carries this tool's own lines only, not the libraries' notes.
void ignoreQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
    catchStopSignals();
    // No window is ever shown; the engine's video surface still needs a platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(ignoreQtMessages);
    QApplication app(argc, argv);
    const kadrel::ParsedCommandLine command = kadrel::parseExtractCommandLine(app.arguments());
    if (!command.options) {
        std::fputs(qPrintable(command.text), command.exitStatus == 0 ? stdout : stderr);
        return command.exitStatus;
    }
    const auto stopRequested = [] { return stopSignal.load(); };
    return kadrel::runExtract(*command.options,
                              {stderr, isatty(STDERR_FILENO) == 1, stopRequested});
}

// The bulk capture of each video of a folder, one after another in the capture settings frame.

#include "capture/CaptureSettings.h"

#include "common/mCommon.h"

#include <QDir>
#include <QHash>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace kadrel {

namespace {

const QStringList kVideoPatterns{
    QStringLiteral("*.mp4"), QStringLiteral("*.mkv"), QStringLiteral("*.avi"),
    QStringLiteral("*.mov"), QStringLiteral("*.webm"), QStringLiteral("*.mpg"),
    QStringLiteral("*.mpeg"), QStringLiteral("*.ts"), QStringLiteral("*.m2ts"),
    QStringLiteral("*.wmv"), QStringLiteral("*.flv"), QStringLiteral("*.ogv"),
    QStringLiteral("*.vob"), QStringLiteral("*.dv"), QStringLiteral("*.3gp")};

// Two videos whose files would go into one folder ("a.mp4 and a.mkv"), or none.
QString sharedFolder(const QStringList& videos)
{
    QHash<QString, QString> byFolder;
    for (const QString& video : videos) {
        const QFileInfo file(video);
        const QString other = byFolder.value(file.completeBaseName());
        if (!other.isEmpty())
            return other + QStringLiteral(" and ") + file.fileName();
        byFolder.insert(file.completeBaseName(), file.fileName());
    }
    return {};
}

}  // namespace

QStringList videoFilesIn(const QString& folder)
{
    QStringList videos;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(kVideoPatterns, QDir::Files, QDir::Name))
        videos << dir.filePath(name);
    return videos;
}

void CaptureSettings::captureFolder(const QString& folder)
{
    if (m_running)
        return;
    const QStringList videos = videoFilesIn(folder);
    if (videos.isEmpty()) {
        m_platform.messageBox.show(
            window(), QStringLiteral("There is no video file in \"%1\".").arg(folder),
            kCaptureTitle, MessageIcon::Exclamation);
        return;
    }
    // Each video's files go into a folder of its name: one name twice would mix them.
    if (const QString clash = sharedFolder(videos); !clash.isEmpty()) {
        m_platform.messageBox.show(
            window(), QStringLiteral("%1 would be captured into the same folder. Rename one of "
                                     "them, or capture them one at a time.").arg(clash),
            kCaptureTitle, MessageIcon::Exclamation);
        return;
    }
    m_running = true;
    m_cancelCapture = false;
    const QString root = txtout->text();
    lockControls();
    QStringList failures;
    for (qsizetype i = 0; i < videos.size() && !m_cancelCapture; ++i) {
        m_heading = QStringLiteral("Video %1 of %2: %3")
                        .arg(i + 1).arg(videos.size()).arg(QFileInfo(videos[i]).fileName());
        Label2->setText(m_heading);
        m_heading += QStringLiteral(" - ");
        if (const QString failed = captureVideo(videos[i], root); !failed.isEmpty())
            failures << QFileInfo(videos[i]).fileName() + QStringLiteral(": ") + failed;
    }
    m_heading.clear();
    txtout->setText(root);
    QString message;
    if (!failures.isEmpty())
        message = QStringLiteral("These videos could not be captured:\n\n") + failures.join(u'\n');
    else if (!m_cancelCapture)
        message = kCaptureCompleted;
    endRun(message, failures.isEmpty() ? MessageIcon::Information : MessageIcon::Critical, true);
}

QString CaptureSettings::captureVideo(const QString& video, const QString& root)
{
    if (Status opened = m_host.openVideo(video); !opened)
        return opened.text();
    if (m_cancelCapture)
        return {};
    if (Status frames = activatebulk(); !frames)
        return frames.text();
    const QString into = root + QLatin1Char('/') + QFileInfo(video).completeBaseName();
    txtout->setText(into);
    prepareMedia();
    if (!DirExists(into) && !CreatePath(m_platform, into))
        return QStringLiteral("the folder \"%1\" could not be made").arg(into);
    // From and To count the frames of one video: the others are captured whole.
    const Outcome outcome = captureFrames(false);
    const QString failed =
        outcome == Outcome::Failed ? failureText(QStringLiteral(" ")) : QString();
    m_failure = {};
    m_failedPath.clear();
    return failed;
}

}  // namespace kadrel

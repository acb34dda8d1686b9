#include "app/FileDrop.h"

#include "app/frmmain.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace kadrel {

namespace {

QString droppedFile(const QMimeData* data)
{
    if (!data)
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

// Watches the window's drag and drop events; children that take no drops pass theirs up.
class FileDropFilter final : public QObject {
public:
    explicit FileDropFilter(frmmain& window) : QObject(&window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::DragEnter && event->type() != QEvent::Drop)
            return QObject::eventFilter(watched, event);
        auto* drop = static_cast<QDropEvent*>(event);
        const QString file = droppedFile(drop->mimeData());
        if (file.isEmpty() || !m_window.mnuopen->isEnabled())
            return QObject::eventFilter(watched, event);
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop && QFileInfo(file).isDir()) {
            // The runs take long: the drop is finished for the file manager first.
            QMetaObject::invokeMethod(
                &m_window, [this, file] { m_window.captureFolder(file); }, Qt::QueuedConnection);
        } else if (event->type() == QEvent::Drop) {
            m_window.openFile(file);
        }
        return true;
    }

private:
    frmmain& m_window;
};

}  // namespace

void acceptFileDrops(frmmain& window)
{
    window.setAcceptDrops(true);
    window.installEventFilter(new FileDropFilter(window));
}

}  // namespace kadrel

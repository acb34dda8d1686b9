#include "transport/PictureWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace kadrel {

PictureWatch::PictureWatch(std::function<QWidget*()> host, std::function<void()> painted)
    : m_host(std::move(host)), m_painted(std::move(painted))
{
    // The video surface is the engine's own widget, made a child of the host when it moves.
    QCoreApplication::instance()->installEventFilter(this);
}

PictureWatch::~PictureWatch()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool PictureWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
        QWidget* host = m_host();
        if (host && static_cast<QWidget*>(watched)->parentWidget() == host)
            m_painted();
    }
    return false;
}

}  // namespace kadrel

#pragma once
// Shared by the dialog tests: a stand-in for the main window, and running the deletions that
// closing a dialog schedules.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

#include <ostream>

namespace kadrel::test {

inline void runDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// The main window as the dialogs see it: a plain top-level window, shown and enabled.
struct MainStandIn {
    MainStandIn()
    {
        window.setGeometry(100, 100, 600, 400);
        window.show();
    }
    QWidget window;
};

}  // namespace kadrel::test

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

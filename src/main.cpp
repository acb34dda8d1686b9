// Kadrel: plays a video file and saves its frames as bitmap files.

#include "common/QtPlatform.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kadrel"));
    QApplication::setOrganizationName(QStringLiteral("Kadrel"));
    kadrel::QtPlatform platform;

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Kadrel - Video Image Extractor"));
    window.show();
    return app.exec();
}

#pragma once
// The start shared by the benchmark programs: Qt on the offscreen platform unless another is
// asked for, then body with the arguments after the program's name.

#include <QApplication>
#include <QStringList>

#include <functional>

namespace kadrel {

inline int runBench(int argc, char** argv, const std::function<int(const QStringList&)>& body)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return body(app.arguments().mid(1));
}

}  // namespace kadrel

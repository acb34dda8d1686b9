// Message boxes on the desktop: long words (paths) broken into lines, and every box, however
// long its path and wherever its parent stands, inside the screen.

#include "common/QtPlatform.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using namespace kadrel;

namespace {

QString run(char c, int n)
{
    return QString(n, QLatin1Char(c));
}

TEST(MessageBoxTest, LongWordsBreakAfterASeparatorOrAtTheLimit)
{
    const QString a30 = "/" + run('a', 29), b30 = "/" + run('b', 29);
    const struct { const char* name; QString text, lines; } cases[] = {
        {"short words stay", "Can not open /tmp/x.bmp", "Can not open /tmp/x.bmp"},
        {"after the last separator", a30 + b30 + "/c.bmp", a30 + "/\n" + run('b', 29) + "/c.bmp"},
        {"no separator", run('x', 130), run('x', 60) + "\n" + run('x', 60) + "\n" + run('x', 10)},
        {"separator too early", "/" + run('y', 80), "/" + run('y', 59) + "\n" + run('y', 21)},
        {"backslashes too", "C:\\" + run('d', 50) + "\\" + run('e', 20),
         "C:\\" + run('d', 50) + "\\\n" + run('e', 20)},
        {"spaces and lines kept", "Error 2: gone\r\n\r\n\"" + a30 + b30 + "\"",
         "Error 2: gone\r\n\r\n\"" + a30 + "/\n" + run('b', 29) + "\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(breakLongWords(c.text, 60).toStdString(), c.lines.toStdString());
    }
}

TEST(MessageBoxTest, ABoxWithALongPathStaysOnTheScreen)
{
    QString path;
    while (path.size() < 300)
        path += "/folder" + QString::number(path.size());
    const QString text = "Error 13: Permission denied\r\nCould Not Create/Access Directory:"
                         "\r\n\r\n\"" + path + "/\"";
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget parent;
    parent.resize(300, 200);
    for (const QPoint at : {QPoint(-1, -1), screen.topLeft(), screen.bottomRight() - QPoint(50, 50),
                            QPoint(screen.right() - 100, screen.top())}) {
        SCOPED_TRACE(testing::Message() << at.x() << "," << at.y());
        const bool hasParent = at != QPoint(-1, -1);
        parent.move(at);
        parent.setVisible(hasParent);
        std::unique_ptr<QMessageBox> box = QtMessageBox::build(
            hasParent ? &parent : nullptr, text, "Kadrel - CreatePath Function",
            MessageIcon::Exclamation);
        box->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        EXPECT_TRUE(screen.contains(box->frameGeometry())) << box->frameGeometry().width();
        EXPECT_TRUE(box->text().contains(path.left(50)));
    }
}

}  // namespace

// The desktop's side: message boxes with long words (paths) broken, kept on the screen; the
// settings file; where the data files are found and frames go by default.

#include "common/QtPlatform.h"
#include "common/UserFolders.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace kadrel;
using namespace Qt::StringLiterals;

namespace {

QString run(char c, int n)
{
    return QString(n, QLatin1Char(c));
}

// Writes a file, with its parent folders.
void write(const QString& path, const QByteArray& bytes = {})
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
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
    for (const auto& c : cases)
        EXPECT_EQ(breakLongWords(c.text, 60), c.lines) << c.name;
}

TEST(MessageBoxTest, ABoxWithALongPathStaysOnTheScreen)
{
    const QString path = u"/folder"_s.repeated(43);
    const QString text = "Could Not Create/Access Directory:\r\n\r\n\"" + path + "/\"";
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

TEST(QtSettingsStore, KeepsSectionsInItsOwnIniFile)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"Kadrel.ini"_s), tips = u"Show Tips at Startup"_s;
    {
        QtSettingsStore store(ini);
        EXPECT_EQ(store.value(u"Options"_s, tips, u"1"_s), u"1"_s);
        store.setValue(u"Settings"_s, u"volume"_s, u"37"_s);
        store.setValue(u"Options"_s, tips, u"0"_s);
    }
    QtSettingsStore reopened(ini);
    EXPECT_EQ(reopened.value(u"Settings"_s, u"volume"_s, {}), u"37"_s);
    EXPECT_EQ(reopened.value(u"Options"_s, tips, u"1"_s), u"0"_s);
    const QSettings file(ini, QSettings::IniFormat);  // as sections of an INI file
    EXPECT_EQ(file.childGroups(), QStringList({u"Options"_s, u"Settings"_s}));
}

// An installed layout (bin/ beside share/kadrel/) gives share/kadrel; a build folder, which
// holds the tip file, gives itself. Frames go to the Pictures folder the desktop names, once
// it exists, and to the home folder until then.
TEST(UserFolders, DataFilesBesideTheProgramOrInShareAndFramesInPicturesElseHome)
{
    QTemporaryDir root;
    const QString bin = root.filePath(u"bin"_s), build = root.filePath(u"build"_s);
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(programDataFolder(bin), bin);
    ASSERT_TRUE(QDir().mkpath(root.filePath(u"share/kadrel"_s)));
    EXPECT_EQ(programDataFolder(bin), root.filePath(u"share/kadrel"_s));
    write(build + u"/TIPOFDAY.TXT"_s);
    EXPECT_EQ(programDataFolder(build), build);

    const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(root.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(u"config"_s)));
    write(root.filePath(u"config/user-dirs.dirs"_s), "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(defaultOutputFolder(), QDir::homePath());
    ASSERT_TRUE(QDir().mkpath(root.filePath(u"Bilder"_s)));
    EXPECT_EQ(defaultOutputFolder(), root.filePath(u"Bilder"_s));
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    if (savedConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace

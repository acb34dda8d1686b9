// Where the program finds its data files and where frames go by default, on folder layouts
// made here.

#include "common/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kadrel {
namespace {

// An installed layout (bin/ beside share/kadrel/) gives share/kadrel; a build folder, which
// holds the tip file, gives itself.
TEST(UserFolders, DataFilesBesideTheProgramOrInShare)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(programDataFolder(bin), bin);
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("share/kadrel"))));
    EXPECT_EQ(programDataFolder(bin), root.filePath(QStringLiteral("share/kadrel")));
    const QString build = root.filePath(QStringLiteral("build"));
    ASSERT_TRUE(QDir().mkpath(build));
    QFile tips(build + QStringLiteral("/TIPOFDAY.TXT"));
    ASSERT_TRUE(tips.open(QIODevice::WriteOnly));
    EXPECT_EQ(programDataFolder(build), build);
}

// The Pictures folder the desktop names, once it exists; the home folder until then.
TEST(UserFolders, FramesGoToPicturesElseHome)
{
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("config"))));
    QFile dirs(home.filePath(QStringLiteral("config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    dirs.close();

    EXPECT_EQ(defaultOutputFolder(), QDir::homePath());
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("Bilder"))));
    EXPECT_EQ(defaultOutputFolder(), home.filePath(QStringLiteral("Bilder")));

    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    if (savedConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace kadrel

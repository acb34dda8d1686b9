// Where the program finds its data files and where frames go by default, on folder layouts
// made here.

#include "common/UserFolders.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kadrel {
namespace {

using namespace Qt::StringLiterals;

// An installed layout (bin/ beside share/kadrel/) gives share/kadrel; a build folder, which
// holds the tip file, gives itself. Frames go to the Pictures folder the desktop names, once
// it exists, and to the home folder until then.
TEST(UserFolders, DataFilesBesideTheProgramOrInShareAndFramesInPicturesElseHome)
{
    QTemporaryDir root;
    const QString bin = root.filePath(u"bin"_s), build = root.filePath(u"build"_s);
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(build));
    EXPECT_EQ(programDataFolder(bin), bin);
    ASSERT_TRUE(QDir().mkpath(root.filePath(u"share/kadrel"_s)));
    EXPECT_EQ(programDataFolder(bin), root.filePath(u"share/kadrel"_s));
    QFile tips(build + u"/TIPOFDAY.TXT"_s);
    ASSERT_TRUE(tips.open(QIODevice::WriteOnly));
    EXPECT_EQ(programDataFolder(build), build);

    const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(root.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(u"config"_s)));
    ASSERT_TRUE(QDir().mkpath(root.filePath(u"config"_s)));
    QFile dirs(root.filePath(u"config/user-dirs.dirs"_s));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    dirs.close();
    EXPECT_EQ(defaultOutputFolder(), QDir::homePath());
    ASSERT_TRUE(QDir().mkpath(root.filePath(u"Bilder"_s)));
    EXPECT_EQ(defaultOutputFolder(), root.filePath(u"Bilder"_s));
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    if (savedConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace kadrel

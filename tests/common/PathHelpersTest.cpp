#include "common/mCommon.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

using namespace kadrel;
using kadrel::test::FakePlatform;

namespace {

void touch(const QString& path, QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.close();
    file.setPermissions(permissions);
}

}  // namespace

TEST(PathHelpers, ExistenceIsLiteralAndTellsFilesFromFolders)
{
    QTemporaryDir dir;
    const auto at = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    touch(at("clip.avi"));
    touch(at(".hidden.avi"));
    touch(at("none.avi"), {});
    touch(at("a*b?.avi"));

    for (const char* file : {"clip.avi", ".hidden.avi", "none.avi", "a*b?.avi"})
        EXPECT_TRUE(FileExists(at(file))) << file;
    for (const char* missing : {"*.avi", "cli?.avi", "a*b*.avi", "missing.avi"})
        EXPECT_FALSE(FileExists(at(missing))) << missing;
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(dir.path()));

    EXPECT_TRUE(DirExists(dir.path()));
    EXPECT_TRUE(DirExists(dir.path() + QLatin1Char('/')));
    EXPECT_FALSE(DirExists(QString()));
    EXPECT_FALSE(DirExists(at("clip.avi")));
    EXPECT_FALSE(DirExists(at("*")));

    QString path = QStringLiteral("/out");
    AddBackslash(path);
    AddBackslash(path);
    EXPECT_EQ(path, QStringLiteral("/out/"));
    QString empty;
    AddBackslash(empty);
    EXPECT_TRUE(empty.isEmpty());
}

TEST(CreatePath, CreatesMissingFoldersOutermostFirstAndQuietly)
{
    QTemporaryDir dir;
    FakePlatform fake;
    for (const char* name : {"a/b/c", "a/b/c/", "x*/y?"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(CreatePath(fake.platform(), path)) << name;
        EXPECT_TRUE(DirExists(path)) << name;
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_TRUE(CreatePath(fake.platform(), QStringLiteral("rel/inner")));
    QDir::setCurrent(previous);
    EXPECT_TRUE(DirExists(dir.filePath(QStringLiteral("rel/inner"))));
    EXPECT_TRUE(fake.messageBox.messages.empty());
}

TEST(CreatePath, FailuresAreReportedWithTheirNumberAndKeepOuterFolders)
{
    QTemporaryDir dir;
    FakePlatform fake;
    const QString title = QStringLiteral("Kadrel - CreatePath Function");

    EXPECT_FALSE(CreatePath(fake.platform(), QString()));
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].text,
              QStringLiteral("Could Not Create/Access Directory:\r\n\r\n\"\""));
    EXPECT_EQ(fake.messageBox.messages[0].title, title);
    EXPECT_EQ(fake.messageBox.messages[0].icon, MessageIcon::Exclamation);

    // A file stands where an inner folder must be created: this fails for root too.
    const QString blocked = dir.filePath(QStringLiteral("made/blocker/inner"));
    ASSERT_TRUE(CreatePath(fake.platform(), dir.filePath(QStringLiteral("made"))));
    touch(dir.filePath(QStringLiteral("made/blocker")));
    EXPECT_FALSE(CreatePath(fake.platform(), blocked));
    EXPECT_TRUE(DirExists(dir.filePath(QStringLiteral("made"))));
    ASSERT_EQ(fake.messageBox.messages.size(), 2u);
    EXPECT_EQ(fake.messageBox.messages[1].text,
              QStringLiteral("Error %1: %2\r\nCould Not Create/Access Directory:\r\n\r\n\"%3/\"")
                  .arg(EEXIST)
                  .arg(QString::fromLocal8Bit(std::strerror(EEXIST)), blocked));
    EXPECT_EQ(fake.messageBox.messages[1].title, title);

    EXPECT_FALSE(CreatePath(fake.platform(), QStringLiteral("/proc/kadrel-test/x")));
    ASSERT_EQ(fake.messageBox.messages.size(), 3u);
    EXPECT_TRUE(fake.messageBox.messages[2].text.startsWith(QStringLiteral("Error ")));
}

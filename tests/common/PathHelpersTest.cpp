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
    file.write("x");
    file.close();
    file.setPermissions(permissions);
}

}  // namespace

TEST(AddBackslash, AppendsOnlyWhenMissing)
{
    QString empty;
    AddBackslash(empty);
    EXPECT_EQ(empty, QString());
    QString out = QStringLiteral("/out");
    AddBackslash(out);
    EXPECT_EQ(out, QStringLiteral("/out/"));
    AddBackslash(out);
    EXPECT_EQ(out, QStringLiteral("/out/"));
}

TEST(FileExists, FilesOfAnyPermissionButNotFolders)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.avi"));
    const QString hidden = dir.filePath(QStringLiteral(".hidden.avi"));
    const QString readOnly = dir.filePath(QStringLiteral("ro.avi"));
    const QString noAccess = dir.filePath(QStringLiteral("none.avi"));
    touch(plain);
    touch(hidden);
    touch(readOnly, QFile::ReadOwner);
    touch(noAccess, {});

    EXPECT_FALSE(FileExists(QString()));
    EXPECT_TRUE(FileExists(plain));
    EXPECT_TRUE(FileExists(hidden));
    EXPECT_TRUE(FileExists(readOnly));
    EXPECT_TRUE(FileExists(noAccess));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("missing.avi"))));
}

TEST(FileExists, WildcardsAreLiteralCharacters)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("clip.avi")));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("*.avi"))));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("cli?.avi"))));
    EXPECT_FALSE(DirExists(dir.path() + QStringLiteral("/*")));

    touch(dir.filePath(QStringLiteral("a*b?.avi")));
    EXPECT_TRUE(FileExists(dir.filePath(QStringLiteral("a*b?.avi"))));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("a*b*.avi"))));
}

TEST(DirExists, FoldersWithOrWithoutSeparator)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("file")));
    EXPECT_FALSE(DirExists(QString()));
    EXPECT_TRUE(DirExists(dir.path()));
    EXPECT_TRUE(DirExists(dir.path() + QLatin1Char('/')));
    EXPECT_FALSE(DirExists(dir.filePath(QStringLiteral("file"))));
    EXPECT_FALSE(DirExists(dir.filePath(QStringLiteral("missing"))));
    EXPECT_TRUE(DirExists(QStringLiteral("/")));
}

TEST(CreatePath, CreatesMissingFoldersOutermostFirst)
{
    QTemporaryDir dir;
    FakePlatform fake;
    const QString nested = dir.filePath(QStringLiteral("a/b/c"));
    EXPECT_TRUE(CreatePath(fake.platform(), nested));
    EXPECT_TRUE(DirExists(nested));
    EXPECT_TRUE(fake.messageBox.messages.empty());

    // Existing: nothing created, nothing shown.
    EXPECT_TRUE(CreatePath(fake.platform(), nested + QLatin1Char('/')));
    EXPECT_TRUE(fake.messageBox.messages.empty());

    // Names with wildcard characters are ordinary folder names.
    const QString odd = dir.filePath(QStringLiteral("x*/y?"));
    EXPECT_TRUE(CreatePath(fake.platform(), odd));
    EXPECT_TRUE(DirExists(odd));
}

TEST(CreatePath, RelativePathsAreCreatedInTheCurrentFolder)
{
    QTemporaryDir dir;
    FakePlatform fake;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const bool created = CreatePath(fake.platform(), QStringLiteral("rel/inner"));
    QDir::setCurrent(previous);
    EXPECT_TRUE(created);
    EXPECT_TRUE(DirExists(dir.filePath(QStringLiteral("rel/inner"))));
}

TEST(CreatePath, EmptyPathShowsTheMessageWithoutErrorLine)
{
    FakePlatform fake;
    EXPECT_FALSE(CreatePath(fake.platform(), QString()));
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    const auto& message = fake.messageBox.messages[0];
    EXPECT_EQ(message.text, QStringLiteral("Could Not Create/Access Directory:\r\n\r\n\"\""));
    EXPECT_EQ(message.title, QStringLiteral("Kadrel - CreatePath Function"));
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
}

TEST(CreatePath, FileInTheWayKeepsOuterFoldersAndReportsErrno)
{
    QTemporaryDir dir;
    FakePlatform fake;
    // A file stands where an inner folder must be created: this fails for root too.
    const QString blocked = dir.filePath(QStringLiteral("made/blocker/inner"));
    ASSERT_TRUE(CreatePath(fake.platform(), dir.filePath(QStringLiteral("made"))));
    touch(dir.filePath(QStringLiteral("made/blocker")));

    EXPECT_FALSE(CreatePath(fake.platform(), blocked));
    EXPECT_TRUE(DirExists(dir.filePath(QStringLiteral("made"))));
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    const QString expected =
        QStringLiteral("Error %1: %2\r\nCould Not Create/Access Directory:\r\n\r\n\"%3/\"")
            .arg(EEXIST)
            .arg(QString::fromLocal8Bit(std::strerror(EEXIST)))
            .arg(blocked);
    EXPECT_EQ(fake.messageBox.messages[0].text, expected);
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Kadrel - CreatePath Function"));
}

TEST(CreatePath, UnwritableParentReportsTheFailure)
{
    FakePlatform fake;
    // /proc refuses new folders even for root.
    EXPECT_FALSE(CreatePath(fake.platform(), QStringLiteral("/proc/kadrel-test/x")));
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_TRUE(fake.messageBox.messages[0].text.startsWith(QStringLiteral("Error ")));
    EXPECT_TRUE(fake.messageBox.messages[0].text.endsWith(
        QStringLiteral("\"/proc/kadrel-test/x/\"")));
}

TEST(CreatePath, ParentThatIsAFileFailsWithNotADirectory)
{
    QTemporaryDir dir;
    FakePlatform fake;
    touch(dir.filePath(QStringLiteral("plainfile")));
    const QString below = dir.filePath(QStringLiteral("plainfile/a/b"));
    EXPECT_FALSE(CreatePath(fake.platform(), below));
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_TRUE(fake.messageBox.messages[0].text.startsWith(
        QStringLiteral("Error %1: ").arg(EEXIST)))
        << fake.messageBox.messages[0].text.toStdString();
}

// Existence checks that take names literally, the trailing separator, and folder creation
// with its failures reported by number.

#include "common/mCommon.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <tuple>

using namespace kadrel;
using namespace Qt::StringLiterals;

namespace {

void touch(const QString& path, QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.setPermissions(permissions);
}

}  // namespace

TEST(PathHelpers, ExistenceIsLiteralAndTellsFilesFromFolders)
{
    QTemporaryDir dir;
    touch(dir.filePath(u"none.avi"_s), {});
    for (const char* file : {"clip.avi", ".hidden.avi", "a*b?.avi"})
        touch(dir.filePath(QLatin1String(file)));
    for (const char* file : {"clip.avi", ".hidden.avi", "none.avi", "a*b?.avi"})
        EXPECT_TRUE(FileExists(dir.filePath(QLatin1String(file)))) << file;
    for (const char* missing : {"*.avi", "cli?.avi", "a*b*.avi", "missing.avi"})
        EXPECT_FALSE(FileExists(dir.filePath(QLatin1String(missing)))) << missing;
    EXPECT_FALSE(FileExists(QString()) || FileExists(dir.path()));
    EXPECT_TRUE(DirExists(dir.path()) && DirExists(dir.path() + '/'));
    EXPECT_FALSE(DirExists(QString()) || DirExists(dir.filePath(u"clip.avi"_s))
                 || DirExists(dir.filePath(u"*"_s)));

    QString path = u"/out"_s, empty;
    AddBackslash(path);
    AddBackslash(path);
    AddBackslash(empty);
    EXPECT_EQ(path, u"/out/"_s);
    EXPECT_TRUE(empty.isEmpty());
}

// Missing folders are made outermost first and quietly, relative ones from the working
// folder; a failure keeps the outer folders made and is reported with its number.
TEST(CreatePath, CreatesMissingFoldersOrReportsTheFailureWithItsNumber)
{
    QTemporaryDir dir;
    test::FakePlatform fake;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    for (const char* name : {"a/b/c", "a/b/c/", "x*/y?", "rel/inner", "made"}) {
        EXPECT_TRUE(CreatePath(fake.platform(), QLatin1String(name))) << name;
        EXPECT_TRUE(DirExists(dir.filePath(QLatin1String(name)))) << name;
    }
    QDir::setCurrent(previous);
    EXPECT_TRUE(fake.messageBox.messages.empty());

    // A file stands where an inner folder must be made: this fails for root too.
    touch(dir.filePath(u"made/blocker"_s));
    const QString blocked = dir.filePath(u"made/blocker/inner"_s);
    const QString cause =
        u"Error %1: %2\r\n"_s.arg(EEXIST).arg(QString::fromLocal8Bit(std::strerror(EEXIST)));
    const QString refused = u"Could Not Create/Access Directory:\r\n\r\n\""_s;
    const std::tuple<QString, QString, bool> failures[] = {
        {QString(), refused + '"', true},
        {blocked, cause + refused + blocked + u"/\""_s, true},
        {u"/proc/kadrel-test/x"_s, u"Error "_s, false}};  // the number the system gives
    for (const auto& [path, text, whole] : failures) {
        fake.messageBox.messages.clear();
        EXPECT_FALSE(CreatePath(fake.platform(), path));
        ASSERT_EQ(fake.messageBox.messages.size(), 1u);
        const test::RecordedMessage& message = fake.messageBox.messages[0];
        EXPECT_EQ(whole ? message.text : message.text.left(text.size()), text);
        EXPECT_EQ(message.title, u"Kadrel - CreatePath Function"_s);
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    }
    EXPECT_TRUE(DirExists(dir.filePath(u"made"_s)));
}

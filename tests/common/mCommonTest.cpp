// The shared helpers: the file dialog, path parts, existence checks that take names literally,
// and folder creation with its failures reported by number.

#include "common/mCommon.h"
#include "support/Messages.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <cerrno>
#include <cstring>

using namespace kadrel;
using namespace Qt::StringLiterals;
using kadrel::test::FakePlatform;
using kadrel::test::takeMessages;

namespace {

QString open(FakePlatform& fake, QWidget* owner, const QString& proposed)
{
    return FileDialog(fake.platform(), owner, false, u"Open..."_s,
                      u"All Media Files|*.mpg;*.avi|All Files (*.*)|*.*|"_s, proposed);
}

void touch(const QString& path, QFile::Permissions permits = QFile::ReadOwner | QFile::WriteOwner)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.setPermissions(permits);
}

}  // namespace

// A returned path is never cut, however long; a proposed name of more than 260 characters
// is refused with a message before the owner is touched.
TEST(FileDialog, PassesItsValuesAndDisablesTheOwnerOnlyWhileUp)
{
    FakePlatform fake;
    QWidget owner;
    const QString longPath = '/' + QString(400, 'd') + u"/f.bmp"_s, longest(260, 'n');
    fake.fileDialog.replies = {longPath};
    EXPECT_EQ(open(fake, &owner, longest), longPath);
    EXPECT_TRUE(FileDialog(fake.platform(), &owner, true, u"Save Frame As..."_s,
                           u"Bitmap Files (*.bmp)|*.bmp|"_s, QString(), u"bmp"_s)
                    .isEmpty());  // cancelled
    bool ownerDisabledAtMessage = false;
    fake.messageBox.onShow = [&](const auto&) { ownerDisabledAtMessage = !owner.isEnabled(); };
    EXPECT_TRUE(open(fake, &owner, longest + 'x').isEmpty());

    ASSERT_EQ(fake.fileDialog.calls.size(), 2u);
    const FileDialogRequest &first = fake.fileDialog.calls[0].request,
                            &save = fake.fileDialog.calls[1].request;
    EXPECT_TRUE(!first.save && save.save && save.defaultSuffix == u"bmp"_s);
    EXPECT_EQ(first.proposedName, longest);  // the titles are the windows' tests'
    EXPECT_EQ(first.nameFilters,
              QStringList({u"All Media Files (*.mpg *.avi)"_s, u"All Files (*.*) (*)"_s}));
    EXPECT_EQ(save.nameFilters, QStringList{u"Bitmap Files (*.bmp) (*.bmp)"_s});
    EXPECT_FALSE(fake.fileDialog.calls[0].ownerEnabledDuringDialog
                 || fake.fileDialog.calls[1].ownerEnabledDuringDialog);
    EXPECT_TRUE(owner.isEnabled() && !ownerDisabledAtMessage);
    EXPECT_EQ(takeMessages(fake.messageBox),
              QStringList{u"Kadrel - FileDialog Function|Exclamation|Filename Length Overflow"_s});
}

// Milliseconds each dialog call takes, while the tick counter wraps: under 20 the dialog
// counts as refused at once and is shown again with an empty name.
TEST(FileDialog, RefusedAtOnceIsShownOnceMoreWithAnEmptyName)
{
    const struct { std::uint32_t first, second; size_t calls; } cases[] = {
        {5, 4000, 2}, {19, 19, 2}, {20, 0, 1}};
    for (const auto& c : cases) {
        FakePlatform fake;
        QWidget owner;
        int call = 0;
        fake.clock.ticks = 0xFFFFFFFEu;
        fake.fileDialog.duringDialog = [&] { fake.clock.ticks += call++ ? c.second : c.first; };
        fake.fileDialog.replies = {QString(), u"/second/choice.avi"_s};
        const QString result = open(fake, &owner, u"bad:name"_s);
        ASSERT_EQ(fake.fileDialog.calls.size(), c.calls) << c.first;
        EXPECT_EQ(result, c.calls == 2 ? u"/second/choice.avi"_s : QString());
        EXPECT_EQ(fake.fileDialog.calls.back().request.proposedName,
                  c.calls == 2 ? QString() : u"bad:name"_s);
        EXPECT_TRUE(owner.isEnabled());
    }
}

TEST(PathHelpers, PartsAtTheLastSeparatorAndExistenceTakenLiterally)
{
    const struct { QString path, folder, name; } parts[] = {
        {u"/video/clip.avi"_s, u"/video/"_s, u"clip.avi"_s}, {u"clip.avi"_s, {}, u"clip.avi"_s},
        {u"/a/b/"_s, u"/a/b/"_s, {}}, {}};
    for (const auto& c : parts) {
        EXPECT_EQ(ExtractPathPart(c.path, true), c.folder);
        EXPECT_EQ(ExtractPathPart(c.path, false), c.name);
    }
    QTemporaryDir dir;
    for (const char* file : {"clip.avi", ".hidden.avi", "none.avi", "a*b?.avi"}) {
        const QString path = dir.filePath(QLatin1String(file));
        touch(path, *file == 'n' ? QFile::Permissions() : QFile::ReadOwner);  // none: no rights
        EXPECT_TRUE(FileExists(path)) << file;
    }
    for (const char* missing : {"*.avi", "cli?.avi", "a*b*.avi", "missing.avi"})
        EXPECT_FALSE(FileExists(dir.filePath(QLatin1String(missing)))) << missing;
    EXPECT_FALSE(FileExists(QString()) || FileExists(dir.path()));
    EXPECT_TRUE(DirExists(dir.path()) && DirExists(dir.path() + '/'));
    EXPECT_FALSE(DirExists(QString()) || DirExists(dir.filePath(u"clip.avi"_s))
                 || DirExists(dir.filePath(u"*"_s)));

    QString path = u"/out/"_s, empty;  // adding to a bare path is the tip window's test's
    AddBackslash(path);
    AddBackslash(empty);
    EXPECT_EQ(path + empty, u"/out/"_s);
}

// Missing folders are made quietly, relative ones from the working folder; a failure keeps
// the outer folders made and is reported with its number.
TEST(CreatePath, CreatesMissingFoldersOrReportsTheFailureWithItsNumber)
{
    QTemporaryDir dir;
    FakePlatform fake;
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
    const QString said = u"Kadrel - CreatePath Function|Exclamation|"_s;
    const QString refused = u"Could Not Create/Access Directory:\r\n\r\n\""_s;
    const QString cause =
        u"Error %1: %2\r\n"_s.arg(EEXIST).arg(QString::fromLocal8Bit(std::strerror(EEXIST)));
    for (const QString& path : {QString(), blocked}) {
        EXPECT_FALSE(CreatePath(fake.platform(), path));
        EXPECT_EQ(takeMessages(fake.messageBox),
                  QStringList{said + (path.isEmpty() ? refused : cause + refused + blocked + '/')
                              + '"'});
    }
    EXPECT_TRUE(DirExists(dir.filePath(u"made"_s)));
}

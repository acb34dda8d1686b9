// The file dialog helper: what it asks the desktop's dialog, the owner disabled only while
// the dialog is up, the name-length limit, and the dialog shown once more when refused at once.

#include "common/mCommon.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QWidget>

using namespace kadrel;
using namespace Qt::StringLiterals;
using kadrel::test::FakePlatform;

namespace {

QString open(FakePlatform& fake, QWidget* owner, const QString& proposed)
{
    return FileDialog(fake.platform(), owner, false, u"Open..."_s,
                      u"All Media Files|*.mpg;*.avi|All Files (*.*)|*.*|"_s, proposed);
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
    EXPECT_TRUE(open(fake, &owner, QString()).isEmpty());  // cancelled
    FileDialog(fake.platform(), &owner, true, u"Save Frame As..."_s,
               u"Bitmap Files (*.bmp)|*.bmp|"_s, QString(), u"bmp"_s);
    bool ownerDisabledAtMessage = false;
    fake.messageBox.onShow = [&](const auto&) { ownerDisabledAtMessage = !owner.isEnabled(); };
    EXPECT_TRUE(open(fake, &owner, longest + 'x').isEmpty());

    ASSERT_EQ(fake.fileDialog.calls.size(), 3u);
    const FileDialogRequest& first = fake.fileDialog.calls[0].request;
    EXPECT_FALSE(first.save);
    EXPECT_EQ(first.title, u"Open..."_s);
    EXPECT_EQ(first.proposedName, longest);
    EXPECT_EQ(first.nameFilters,
              QStringList({u"All Media Files (*.mpg *.avi)"_s, u"All Files (*.*) (*)"_s}));
    const FileDialogRequest& save = fake.fileDialog.calls[2].request;
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.defaultSuffix, u"bmp"_s);
    EXPECT_EQ(save.nameFilters, QStringList{u"Bitmap Files (*.bmp) (*.bmp)"_s});
    for (const auto& call : fake.fileDialog.calls)
        EXPECT_FALSE(call.ownerEnabledDuringDialog);
    EXPECT_TRUE(owner.isEnabled());
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].text, u"Filename Length Overflow"_s);
    EXPECT_EQ(fake.messageBox.messages[0].title, u"Kadrel - FileDialog Function"_s);
    EXPECT_EQ(fake.messageBox.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(ownerDisabledAtMessage);
}

TEST(FileDialog, RefusedAtOnceIsShownOnceMoreWithAnEmptyName)
{
    // Milliseconds each dialog call takes, and how many calls are made.
    const struct { std::uint32_t first, second; size_t calls; } cases[] = {
        {5, 4000, 2}, {19, 19, 2}, {20, 0, 1}};
    for (const auto& c : cases) {
        FakePlatform fake;
        QWidget owner;
        int call = 0;
        fake.clock.ticks = 0xFFFFFFFEu;  // the tick counter wraps during the dialog
        fake.fileDialog.duringDialog = [&] { fake.clock.ticks += call++ ? c.second : c.first; };
        fake.fileDialog.replies = {QString(), u"/second/choice.avi"_s};
        const QString result = open(fake, &owner, u"bad:name"_s);
        ASSERT_EQ(fake.fileDialog.calls.size(), c.calls) << c.first;
        EXPECT_EQ(result, c.calls == 2 ? u"/second/choice.avi"_s : QString());
        const FileDialogRequest& last = fake.fileDialog.calls.back().request;
        EXPECT_EQ(last.proposedName, c.calls == 2 ? QString() : u"bad:name"_s);
        EXPECT_EQ(last.title, u"Open..."_s);
        EXPECT_TRUE(owner.isEnabled());
    }
}

TEST(ExtractPathPart, SplitsAtTheLastSeparator)
{
    const struct { QString path, folder, name; } cases[] = {
        {u"/video/clip.avi"_s, u"/video/"_s, u"clip.avi"_s}, {u"clip.avi"_s, {}, u"clip.avi"_s},
        {u"/a/b/"_s, u"/a/b/"_s, {}}, {}};
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractPathPart(c.path, true), c.folder);
        EXPECT_EQ(ExtractPathPart(c.path, false), c.name);
    }
}

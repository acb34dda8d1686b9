#include "common/mCommon.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <QWidget>

using namespace kadrel;
using kadrel::test::FakePlatform;

namespace {

const QString kMediaFilter = QStringLiteral(
    "All Media Files|*.mpg;*.mpeg;*.avi|Windows Video Files|*.avi;*.wmv|All Files (*.*)|*.*|");

}  // namespace

TEST(FileDialog, PassesTitleFiltersAndDefaultsAndKeepsOwnerDisabledWhileUp)
{
    FakePlatform fake;
    QWidget owner;
    fake.fileDialog.replies = {QStringLiteral("/videos/clip.avi")};

    const QString result = FileDialog(fake.platform(), &owner, false, QStringLiteral("Open..."),
                                      kMediaFilter, QStringLiteral("/videos/old.avi"));

    EXPECT_EQ(result, QStringLiteral("/videos/clip.avi"));
    ASSERT_EQ(fake.fileDialog.calls.size(), 1u);
    const auto& call = fake.fileDialog.calls[0];
    EXPECT_FALSE(call.ownerEnabledDuringDialog);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(call.request.save);
    EXPECT_EQ(call.request.title, QStringLiteral("Open..."));
    EXPECT_EQ(call.request.proposedName, QStringLiteral("/videos/old.avi"));
    EXPECT_EQ(call.request.nameFilters,
              QStringList({QStringLiteral("All Media Files (*.mpg *.mpeg *.avi)"),
                           QStringLiteral("Windows Video Files (*.avi *.wmv)"),
                           QStringLiteral("All Files (*.*) (*)")}));
    EXPECT_TRUE(fake.messageBox.messages.empty());
}

TEST(FileDialog, SaveDialogWithDefaultExtension)
{
    FakePlatform fake;
    QWidget owner;
    fake.fileDialog.replies = {QStringLiteral("/tmp/shot.bmp")};
    FileDialog(fake.platform(), &owner, true, QStringLiteral("Save Frame As..."),
               QStringLiteral("Bitmap Files (*.bmp)|*.bmp|"), QString(), QStringLiteral("bmp"));
    ASSERT_EQ(fake.fileDialog.calls.size(), 1u);
    EXPECT_TRUE(fake.fileDialog.calls[0].request.save);
    EXPECT_EQ(fake.fileDialog.calls[0].request.defaultSuffix, QStringLiteral("bmp"));
    EXPECT_EQ(fake.fileDialog.calls[0].request.nameFilters,
              QStringList{QStringLiteral("Bitmap Files (*.bmp) (*.bmp)")});
}

TEST(FileDialog, CancelGivesEmptyAndEnablesOwner)
{
    FakePlatform fake;
    QWidget owner;
    EXPECT_TRUE(FileDialog(fake.platform(), &owner, false, QStringLiteral("Open..."), kMediaFilter,
                           QString())
                    .isEmpty());
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(fake.fileDialog.calls.size(), 1u);
}

TEST(FileDialog, ProposedNameLengthLimit)
{
    FakePlatform fake;
    QWidget owner;
    fake.fileDialog.replies = {QStringLiteral("/a")};
    const QString exact(260, QLatin1Char('n'));
    FileDialog(fake.platform(), &owner, false, QStringLiteral("Open..."), kMediaFilter, exact);
    ASSERT_EQ(fake.fileDialog.calls.size(), 1u);
    EXPECT_EQ(fake.fileDialog.calls[0].request.proposedName, exact);

    // 261 characters: the message, no dialog, and the owner is never disabled.
    bool ownerDisabledAtMessage = false;
    fake.messageBox.onShow = [&](const auto&) { ownerDisabledAtMessage = !owner.isEnabled(); };
    const QString result = FileDialog(fake.platform(), &owner, false, QStringLiteral("Open..."),
                                      kMediaFilter, exact + QLatin1Char('x'));
    EXPECT_TRUE(result.isEmpty());
    EXPECT_EQ(fake.fileDialog.calls.size(), 1u);
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].text, QStringLiteral("Filename Length Overflow"));
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Kadrel - FileDialog Function"));
    EXPECT_EQ(fake.messageBox.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(ownerDisabledAtMessage);
    EXPECT_TRUE(owner.isEnabled());
}

TEST(FileDialog, RefusedAtOnceIsShownOnceMoreWithAnEmptyName)
{
    FakePlatform fake;
    QWidget owner;
    int call = 0;
    // The first dialog returns after 5 ms (refused), the second after a normal while.
    fake.fileDialog.duringDialog = [&] { fake.clock.ticks += (call++ == 0) ? 5 : 4000; };
    fake.fileDialog.replies = {QString(), QStringLiteral("/second/choice.avi")};
    fake.clock.ticks = 0xFFFFFFFEu;  // the tick counter wraps during the first dialog

    const QString result = FileDialog(fake.platform(), &owner, false, QStringLiteral("Open..."),
                                      kMediaFilter, QStringLiteral("bad:name"));
    EXPECT_EQ(result, QStringLiteral("/second/choice.avi"));
    ASSERT_EQ(fake.fileDialog.calls.size(), 2u);
    EXPECT_EQ(fake.fileDialog.calls[0].request.proposedName, QStringLiteral("bad:name"));
    EXPECT_TRUE(fake.fileDialog.calls[1].request.proposedName.isEmpty());
    EXPECT_EQ(fake.fileDialog.calls[1].request.title, QStringLiteral("Open..."));
    EXPECT_TRUE(owner.isEnabled());

    // Even a second quick return is not retried again.
    FakePlatform fast;
    fast.fileDialog.duringDialog = [&] { fast.clock.ticks += 19; };
    FileDialog(fast.platform(), &owner, true, QStringLiteral("t"), QStringLiteral("a|*.a|"),
               QStringLiteral("x"));
    EXPECT_EQ(fast.fileDialog.calls.size(), 2u);

    // 20 ms is not "at once".
    FakePlatform slow;
    slow.fileDialog.duringDialog = [&] { slow.clock.ticks += 20; };
    FileDialog(slow.platform(), &owner, true, QStringLiteral("t"), QStringLiteral("a|*.a|"),
               QStringLiteral("x"));
    EXPECT_EQ(slow.fileDialog.calls.size(), 1u);
}

TEST(FileDialog, LongReturnedPathIsNeverCut)
{
    FakePlatform fake;
    const QString longPath = QLatin1Char('/') + QString(400, QLatin1Char('d')) + QStringLiteral("/f.bmp");
    fake.fileDialog.replies = {longPath};
    EXPECT_EQ(FileDialog(fake.platform(), nullptr, true, QStringLiteral("Save Frame As..."),
                         QStringLiteral("Bitmap Files (*.bmp)|*.bmp|"), QString(),
                         QStringLiteral("bmp")),
              longPath);
}

TEST(ExtractPathPart, SplitsAtTheLastSeparator)
{
    EXPECT_EQ(ExtractPathPart(QStringLiteral("/video/clip.avi"), false), QStringLiteral("clip.avi"));
    EXPECT_EQ(ExtractPathPart(QStringLiteral("/video/clip.avi"), true), QStringLiteral("/video/"));
    EXPECT_EQ(ExtractPathPart(QStringLiteral("clip.avi"), false), QStringLiteral("clip.avi"));
    EXPECT_EQ(ExtractPathPart(QStringLiteral("clip.avi"), true), QString());
    EXPECT_EQ(ExtractPathPart(QStringLiteral("/a/b/"), false), QString());
    EXPECT_EQ(ExtractPathPart(QStringLiteral("/a/b/"), true), QStringLiteral("/a/b/"));
    EXPECT_EQ(ExtractPathPart(QString(), false), QString());
}

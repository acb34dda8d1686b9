#include "common/mCommon.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <QWidget>

using namespace kadrel;
using kadrel::test::FakePlatform;

namespace {

const QString kFilter = QStringLiteral("All Media Files|*.mpg;*.avi|All Files (*.*)|*.*|");

QString open(FakePlatform& fake, QWidget* owner, const QString& proposed)
{
    return FileDialog(fake.platform(), owner, false, QStringLiteral("Open..."), kFilter, proposed);
}

}  // namespace

TEST(FileDialog, PassesItsValuesAndDisablesTheOwnerOnlyWhileUp)
{
    FakePlatform fake;
    QWidget owner;
    fake.fileDialog.replies = {QStringLiteral("/videos/clip.avi")};
    EXPECT_EQ(open(fake, &owner, QStringLiteral("/videos/old.avi")), QStringLiteral("/videos/clip.avi"));
    EXPECT_TRUE(open(fake, &owner, QString()).isEmpty());  // cancelled
    FileDialog(fake.platform(), &owner, true, QStringLiteral("Save Frame As..."),
               QStringLiteral("Bitmap Files (*.bmp)|*.bmp|"), QString(), QStringLiteral("bmp"));

    ASSERT_EQ(fake.fileDialog.calls.size(), 3u);
    const FileDialogRequest& first = fake.fileDialog.calls[0].request;
    EXPECT_FALSE(first.save);
    EXPECT_EQ(first.title, QStringLiteral("Open..."));
    EXPECT_EQ(first.proposedName, QStringLiteral("/videos/old.avi"));
    EXPECT_EQ(first.nameFilters, QStringList({QStringLiteral("All Media Files (*.mpg *.avi)"),
                                              QStringLiteral("All Files (*.*) (*)")}));
    const FileDialogRequest& save = fake.fileDialog.calls[2].request;
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.defaultSuffix, QStringLiteral("bmp"));
    EXPECT_EQ(save.nameFilters, QStringList{QStringLiteral("Bitmap Files (*.bmp) (*.bmp)")});
    for (const auto& call : fake.fileDialog.calls)
        EXPECT_FALSE(call.ownerEnabledDuringDialog);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_TRUE(fake.messageBox.messages.empty());
}

TEST(FileDialog, ProposedNameLongerThan260IsRefusedWithoutTouchingTheOwner)
{
    FakePlatform fake;
    QWidget owner;
    const QString exact(260, QLatin1Char('n'));
    open(fake, &owner, exact);
    ASSERT_EQ(fake.fileDialog.calls.size(), 1u);
    EXPECT_EQ(fake.fileDialog.calls[0].request.proposedName, exact);

    bool ownerDisabledAtMessage = false;
    fake.messageBox.onShow = [&](const auto&) { ownerDisabledAtMessage = !owner.isEnabled(); };
    EXPECT_TRUE(open(fake, &owner, exact + QLatin1Char('x')).isEmpty());
    EXPECT_EQ(fake.fileDialog.calls.size(), 1u);
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].text, QStringLiteral("Filename Length Overflow"));
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Kadrel - FileDialog Function"));
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
        fake.fileDialog.duringDialog = [&] { fake.clock.ticks += call++ == 0 ? c.first : c.second; };
        fake.fileDialog.replies = {QString(), QStringLiteral("/second/choice.avi")};
        const QString result = open(fake, &owner, QStringLiteral("bad:name"));
        ASSERT_EQ(fake.fileDialog.calls.size(), c.calls) << c.first;
        if (c.calls == 2) {
            EXPECT_EQ(result, QStringLiteral("/second/choice.avi"));
            EXPECT_TRUE(fake.fileDialog.calls[1].request.proposedName.isEmpty());
            EXPECT_EQ(fake.fileDialog.calls[1].request.title, QStringLiteral("Open..."));
        }
        EXPECT_TRUE(owner.isEnabled());
    }
}

TEST(FileDialog, LongReturnedPathIsNeverCut)
{
    FakePlatform fake;
    const QString longPath = QLatin1Char('/') + QString(400, QLatin1Char('d')) + QStringLiteral("/f.bmp");
    fake.fileDialog.replies = {longPath};
    EXPECT_EQ(open(fake, nullptr, QString()), longPath);
}

TEST(ExtractPathPart, SplitsAtTheLastSeparator)
{
    const struct { const char* path; const char* folder; const char* name; } cases[] = {
        {"/video/clip.avi", "/video/", "clip.avi"}, {"clip.avi", "", "clip.avi"},
        {"/a/b/", "/a/b/", ""}, {"", "", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractPathPart(QString::fromLatin1(c.path), true), QString::fromLatin1(c.folder));
        EXPECT_EQ(ExtractPathPart(QString::fromLatin1(c.path), false), QString::fromLatin1(c.name));
    }
}

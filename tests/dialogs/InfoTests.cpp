#include "dialogs/MediaFacts.h"
#include "dialogs/frminfo.h"
#include "support/FakePlatform.h"
#include "dialogs/DialogTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kadrel {
namespace {

using test::runDeferredDeletes;
using test::writeFile;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

class InfoWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        delete info;
        runDeferredDeletes();
    }

    frminfo* openOn(const QString& path, double seconds)
    {
        info = new frminfo(&main.window, fake.screen, path, seconds, QLocale::c());
        info->show();
        return info;
    }

    test::FakePlatform fake;
    test::MainStandIn main;
    QTemporaryDir folder;
    QPointer<frminfo> info;
};

TEST(MediaFacts, LengthIsTheShortestDecimalInTheUsersForm)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(lengthText(90.5, c), QStringLiteral("90.5 Sec."));
    EXPECT_EQ(lengthText(12.0, c), QStringLiteral("12 Sec."));
    EXPECT_EQ(lengthText(3.25, c), QStringLiteral("3.25 Sec."));
    EXPECT_EQ(lengthText(0.0, c), QStringLiteral("0 Sec."));
    EXPECT_EQ(lengthText(12345.67, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("12345.67 Sec."));
    EXPECT_EQ(lengthText(90.5, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("90,5 Sec."));
}

TEST(MediaFacts, SizeOnDiskIsTheSmallerOfLengthAndAllocationIn64Bits)
{
    EXPECT_EQ(sizeOnDisk(1234, 8), 1234);              // a small file fills part of a block
    EXPECT_EQ(sizeOnDisk(3 * kGiB, 8), 4096);          // sparse: what is allocated
    EXPECT_EQ(sizeOnDisk(5 * kGiB + 7, (5 * kGiB + 4096) / 512), 5 * kGiB + 7);
    EXPECT_EQ(sizeOnDisk(0, 0), 0);
    EXPECT_EQ(sizeText(5 * kGiB + 7), QStringLiteral("5368709127 Bytes"));
}

TEST(MediaFacts, SparseFileBeyondTwoGiBShowsItsAllocatedSize)
{
    QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("sparse.bin")));
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::int64_t length = 3 * kGiB + 5;
    ASSERT_EQ(::ftruncate(fd, length), 0);
    ASSERT_EQ(::pwrite(fd, "end", 3, length - 3), 3);  // one real block, at the far end
    ::close(fd);

    struct stat info {};
    ASSERT_EQ(::stat(path.constData(), &info), 0);
    ASSERT_LT(info.st_blocks * 512, length) << "the file system filled the holes";
    const std::int64_t shown = compressedFileSize(QFile::decodeName(path));
    EXPECT_EQ(shown, std::int64_t{info.st_blocks} * 512);
    EXPECT_GT(shown, 0);
}

TEST_F(InfoWindowTest, ShowsPathLengthAndSize)
{
    const QString path = folder.filePath(QStringLiteral("clip.avi"));
    writeFile(path, QByteArray(1234, 'x'));
    openOn(path, 90.5);
    EXPECT_EQ(info->windowTitle(), QStringLiteral("Media info..."));
    EXPECT_EQ(info->txtfile->text(), path);
    EXPECT_EQ(info->lbllength->text(), QStringLiteral("90.5 Sec."));
    EXPECT_EQ(info->lblsize->text(), QStringLiteral("1234 Bytes"));
    EXPECT_FALSE(main.window.isEnabled());
}

TEST_F(InfoWindowTest, GoneFileShowsMinusOneBytes)
{
    openOn(folder.filePath(QStringLiteral("removed.avi")), 12);
    EXPECT_EQ(info->lbllength->text(), QStringLiteral("12 Sec."));
    EXPECT_EQ(info->lblsize->text(), QStringLiteral("-1 Bytes"));
}

TEST_F(InfoWindowTest, EachOpeningShowsCurrentValues)
{
    const QString path = folder.filePath(QStringLiteral("clip.avi"));
    writeFile(path, QByteArray(1234, 'x'));
    openOn(path, 3.25)->cmdOK->click();
    runDeferredDeletes();
    ASSERT_TRUE(info.isNull());

    writeFile(path, QByteArray(2000, 'x'));
    openOn(path, 3.25);
    EXPECT_EQ(info->lblsize->text(), QStringLiteral("2000 Bytes"));
    EXPECT_EQ(info->lbllength->text(), QStringLiteral("3.25 Sec."));
}

TEST_F(InfoWindowTest, EveryWayOfClosingEnablesTheMainWindow)
{
    const std::pair<const char*, std::function<void(frminfo*)>> ways[] = {
        {"OK", [](frminfo* w) { w->cmdOK->click(); }},
        {"Enter", [](frminfo* w) { QTest::keyClick(w, Qt::Key_Return); }},
        {"Esc", [](frminfo* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"close box", [](frminfo* w) { w->close(); }},
        {"deleted", [](frminfo* w) { delete w; }},
    };
    for (const auto& [name, closeIt] : ways) {
        SCOPED_TRACE(name);
        openOn(QString(), 1);
        ASSERT_FALSE(main.window.isEnabled());
        closeIt(info);
        runDeferredDeletes();
        EXPECT_TRUE(info.isNull());
        EXPECT_TRUE(main.window.isEnabled());
    }
}

TEST_F(InfoWindowTest, LaidOutWithTheScreensTwipsPerPixel)
{
    fake.screen.tpp = {12.0, 12.0};  // 120 dots per inch
    openOn(QString(), 1);
    // 735, 945, 3990 and 1665 twips; 332.5 rounds to the even 332.
    EXPECT_EQ(info->geometry(), QRect(61, 79, 332, 139));
    EXPECT_EQ(info->cmdOK->geometry(), QRect(10, 100, 321, 31));
}

}  // namespace
}  // namespace kadrel

// The writer thread of bulk runs: files in order and complete, and what a failing file leaves
// behind: the files before it, no partial file, nothing after it, and a writer ready again.

#include "media/ffmpeg/FrameFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <ostream>
#include <sys/mount.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace kadrel {
namespace {

using ffmpeg::FrameFileWriter;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr qint64 kFileSize = 54 + 4 * kWidth * kHeight;

// Frame n: a 32-bit DIB whose every pixel byte is n.
void fillFrame(FrameBuffer& buffer, int n)
{
    buffer.reserveDib(40 + 4 * kWidth * kHeight);
    unsigned char* dib = buffer.dib();
    std::memset(dib, n, buffer.dibBytes());
    const std::int32_t header[4] = {40, kWidth, kHeight, 1 | (32 << 16)};
    std::memset(dib, 0, 40);
    std::memcpy(dib, header, sizeof header);
}

QString framePath(const QString& folder, int n)
{
    return QDir(folder).filePath(QStringLiteral("frame%1.bmp").arg(n));
}

// Hands frames first..last to the writer as a bulk run does, stopping when it refuses a buffer.
void writeFrames(FrameWriter& writer, const QString& folder, int first, int last)
{
    for (int n = first; n <= last; ++n) {
        FrameBuffer* buffer = writer.nextBuffer();
        if (!buffer)
            return;
        fillFrame(*buffer, n);
        writer.write(buffer, framePath(folder, n), encodeBitmap);
    }
}

// Which of frames 0..count-1 are complete files holding their frame, e.g. "0 1 2 -3 -4 -5"
// where -n is a frame with no regular file.
QString framesOnDisk(const QString& folder, int count)
{
    QStringList found;
    for (int n = 0; n < count; ++n) {
        QFile file(framePath(folder, n));
        const QFileInfo info(file.fileName());
        if (!info.isFile() || info.isSymLink() || !file.open(QIODevice::ReadOnly)) {
            found << QString::number(-n);
            continue;
        }
        const QByteArray bytes = file.readAll();
        const bool whole = bytes.size() == kFileSize && bytes.startsWith("BM")
                           && bytes.count(char(n)) >= 4 * kWidth * kHeight;
        found << (whole ? QString::number(n) : QStringLiteral("partial%1").arg(n));
    }
    return found.join(u' ');
}

// A tmpfs of the given size at folder, for as long as the guard lives; unmounted: no rights.
struct TinyDisk {
    TinyDisk(const QString& folder, const char* size) : path(QFile::encodeName(folder))
    {
        const QByteArray options = QByteArray("size=") + size;
        mounted = ::mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~TinyDisk()
    {
        if (mounted)
            ::umount2(path.constData(), MNT_DETACH);
    }
    QByteArray path;
    bool mounted = false;
};

TEST(FrameFileWriter, WritesEveryFileInOrderAndIsReadyAgainAfterAFailure)
{
    // Each case spoils frame 3's file before the run. The error number of that file.
    const struct { const char* name; std::function<bool(const QString&)> spoil; int error; }
        cases[] = {
        {"healthy", [](const QString&) { return true; }, 0},
        {"full disk", [](const QString& folder) {
             return QFile::link(QStringLiteral("/dev/full"), framePath(folder, 3));
         }, ENOSPC},
        {"a folder in the way", [](const QString& folder) {
             return QDir(folder).mkdir(QStringLiteral("frame3.bmp"));
         }, EISDIR},
    };
    FrameFileWriter writer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(c.spoil(dir.path()));
        writeFrames(writer, dir.path(), 0, 5);
        const FileStatus written = writer.finish();
        EXPECT_EQ(written.status.number(), c.error) << qPrintable(written.status.text());
        EXPECT_EQ(written.path, c.error ? framePath(dir.path(), 3) : QString());
        EXPECT_EQ(framesOnDisk(dir.path(), 6),
                  QLatin1String(c.error ? "0 1 2 -3 -4 -5" : "0 1 2 3 4 5"));

        // The next run starts afresh.
        writeFrames(writer, dir.path(), 4, 4);
        EXPECT_TRUE(writer.finish().ok());
        EXPECT_EQ(QFileInfo(framePath(dir.path(), 4)).size(), kFileSize);
    }
    // The symbolic link to the device is left as it was, and the device too.
    EXPECT_TRUE(QFileInfo(QStringLiteral("/dev/full")).exists());
}

// A disk that fills up in the middle of a file: the partial file is removed.
TEST(FrameFileWriter, ADiskThatFillsUpLeavesNoPartialFile)
{
    QTemporaryDir dir;
    // Three files and a part of the fourth fit.
    const TinyDisk disk(dir.path(), "1m");
    if (!disk.mounted)
        GTEST_SKIP() << "no right to mount a tmpfs here; the full disk is covered by /dev/full";
    FrameFileWriter writer;
    writeFrames(writer, dir.path(), 0, 5);
    const FileStatus written = writer.finish();
    EXPECT_EQ(written.status.number(), ENOSPC) << qPrintable(written.status.text());
    EXPECT_EQ(written.path, framePath(dir.path(), 3));
    EXPECT_TRUE(written.status.description().contains(framePath(dir.path(), 3)));
    EXPECT_EQ(framesOnDisk(dir.path(), 6), QLatin1String("0 1 2 -3 -4 -5"));
}

// Closing while files are in hand: the writer finishes them before it goes.
TEST(FrameFileWriter, ClosingWritesTheFilesInHand)
{
    QTemporaryDir dir;
    {
        FrameFileWriter writer(2);
        writeFrames(writer, dir.path(), 0, 5);
    }
    EXPECT_EQ(framesOnDisk(dir.path(), 6), QLatin1String("0 1 2 3 4 5"));
}

}  // namespace
}  // namespace kadrel

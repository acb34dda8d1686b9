// The writer thread of bulk runs, with ordinary writes and direct I/O, on the disk and a tmpfs:
// whole files in order, and what a failing file leaves; the page cache of the file series.

#include "output/BitmapEncoder.h"
#include "output/FrameFileWriter.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace kadrel {
namespace {

struct FrameSize {
    const char* name;
    int width, height;
    constexpr qint64 pixelBytes() const { return qint64{4} * width * height; }
    constexpr qint64 fileSize() const { return 54 + pixelBytes(); }
};
constexpr FrameSize kSmall{"small frames", 320, 240};
constexpr FrameSize kLarge{"frames written directly", 2048, 2048};
static_assert(kSmall.fileSize() < qint64{FileSeries::kDirectFrom});
static_assert(kLarge.fileSize() >= qint64{FileSeries::kDirectFrom});

QString framePath(const QString& folder, int n)
{
    return QDir(folder).filePath(QStringLiteral("frame%1.bmp").arg(n));
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Hands frames first..last over as a bulk run does, every pixel byte of frame n being n.
void writeFrames(FrameFileWriter& writer, const QString& folder, int first, int last,
                 FrameSize size = kSmall)
{
    for (int n = first; n <= last; ++n) {
        FrameBuffer* buffer = writer.nextBuffer();
        if (!buffer)
            return;
        buffer->reserveDib(std::size_t(40 + size.pixelBytes()));
        std::memset(buffer->dib(), n, buffer->dibBytes());
        const std::int32_t header[10] = {40, size.width, size.height, 1 | (32 << 16)};
        std::memcpy(buffer->dib(), header, sizeof header);
        writer.write(buffer, framePath(folder, n));
    }
}

// Frames 0..count-1 as "0 1 2 -3 partial4": whole, no regular file, or not whole.
QString framesOnDisk(const QString& folder, int count, FrameSize size = kSmall)
{
    QStringList found;
    for (int n = 0; n < count; ++n) {
        const QFileInfo info(framePath(folder, n));
        const bool regular = info.isFile() && !info.isSymLink();  // never read /dev/full
        const QByteArray bytes = regular ? contents(info.filePath()) : QByteArray();
        const bool whole = bytes.size() == size.fileSize() && bytes.startsWith("BM")
                           && bytes.count(char(n)) >= size.pixelBytes();
        found << (!regular ? QString::number(-n)
                  : whole  ? QString::number(n)
                           : QStringLiteral("partial%1").arg(n));
    }
    return found.join(u' ');
}

// A tmpfs of the given size at folder while it lives; none for 0 or without the right to mount.
struct TinyDisk {
    TinyDisk(const QString& folder, qint64 bytes) : path(QFile::encodeName(folder))
    {
        const QByteArray options = "size=" + QByteArray::number(bytes);
        mounted = bytes > 0
                  && ::mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~TinyDisk()
    {
        if (mounted)
            ::umount2(path.constData(), MNT_DETACH);
    }
    QByteArray path;
    bool mounted = false;
};

// Frame 3's file spoilt: it is named, the files before it stay, nothing from it on is left,
// and the same writer serves the next case. Closing a writer writes the files in hand.
TEST(FrameFileWriter, WritesWholeFilesInOrderAndStopsAtTheFirstFailure)
{
    const auto nothing = [](const QString&, qint64) { return true; };
    const struct {
        const char* name;
        std::function<bool(const QString&, qint64)> spoil;  // the folder, the file size
        int error;
        double tmpfsFiles = 10;  // the size of the tmpfs mounted on the folder, in files
        bool close = false;
    } cases[] = {
        {"healthy", nothing, 0},
        {"closed with files in hand", nothing, 0, 10, true},
        {"longer old files", [](const QString& folder, qint64 bytes) {
             QFile old(framePath(folder, 3));
             return old.open(QIODevice::WriteOnly) && old.write(QByteArray(bytes + 4097, 'x'));
         }, 0},
        {"full disk", [](const QString& folder, qint64) {
             return QFile::link(QStringLiteral("/dev/full"), framePath(folder, 3));
         }, ENOSPC},
        {"a folder in the way", [](const QString& folder, qint64) {
             return QDir(folder).mkdir(QStringLiteral("frame3.bmp"));
         }, EISDIR},
        {"a tmpfs that fills up", nothing, ENOSPC, 3.5},
    };
    const auto bitmaps = [] { return std::make_unique<BitmapEncoder>(); };
    FrameFileWriter writer(bitmaps);
    for (const FrameSize size : {kSmall, kLarge})
        for (const bool tmpfs : {false, true})
            for (const auto& c : cases) {
                SCOPED_TRACE(std::string(size.name) + (tmpfs ? " on tmpfs, " : ", ") + c.name);
                QTemporaryDir dir;
                const qint64 tmpfsBytes = qint64(size.fileSize() * c.tmpfsFiles);
                const TinyDisk disk(dir.path(), tmpfs ? tmpfsBytes : 0);
                if (tmpfs && !disk.mounted) {
                    std::printf("no right to mount a tmpfs: %s skipped\n", c.name);
                    continue;
                }
                if (!tmpfs && c.tmpfsFiles < 10)
                    continue;
                ASSERT_TRUE(c.spoil(dir.path(), size.fileSize()));
                if (c.close) {
                    FrameFileWriter closing(bitmaps, 3);
                    writeFrames(closing, dir.path(), 0, 5, size);
                } else {
                    writeFrames(writer, dir.path(), 0, 5, size);
                    const FileStatus written = writer.finish();
                    EXPECT_EQ(written.status.number(), c.error)
                        << qPrintable(written.status.text());
                    EXPECT_EQ(written.path, c.error ? framePath(dir.path(), 3) : QString());
                    EXPECT_EQ(written.status.description().contains(framePath(dir.path(), 3)),
                              c.error != 0);
                }
                EXPECT_EQ(framesOnDisk(dir.path(), 6, size),
                          QLatin1String(c.error ? "0 1 2 -3 -4 -5" : "0 1 2 3 4 5"));
            }
    EXPECT_TRUE(QFileInfo(QStringLiteral("/dev/full")).exists());  // not removed for a link
}

// Whether any of the file's bytes are in the page cache.
bool cached(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::size_t size = static_cast<std::size_t>(file.size());
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, file.handle(), 0);
    if (mapped == MAP_FAILED)
        return false;
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident((size + page - 1) / page);
    const bool any = ::mincore(mapped, size, resident.data()) == 0
                     && std::any_of(resident.begin(), resident.end(),
                                    [](unsigned char r) { return r & 1; });
    ::munmap(mapped, size);
    return any;
}

// Two files in flight, direct from a size of no whole blocks: files below it stay cached until
// two later ones are written, the others never are, and every file holds its bytes.
TEST(FileSeries, CachesOnlyTheFilesInFlightBelowTheDirectSize)
{
    constexpr std::size_t kDirectFrom = 5 * kDirectIoBlock + 7;
    const struct { std::size_t size; const char* cachedAfter; } steps[] = {
        {kDirectFrom - 1, "1"}, {kDirectFrom - 1, "1 1"}, {kDirectFrom - 1, "0 1 1"},
        {kDirectFrom, "0 0 1 0"}, {kDirectFrom + 1, "0 0 0 0 0"}};
    QTemporaryDir dir;
    struct statfs disk {};
    ASSERT_EQ(::statfs(QFile::encodeName(dir.path()).constData(), &disk), 0);
    const bool onDisk = disk.f_type != TMPFS_MAGIC;
    AlignedBytes source;
    source.reserve(kDirectFrom + 1);
    for (std::size_t i = 0; i < source.capacity(); ++i)
        source.data()[i] = static_cast<unsigned char>(i * 7 + i / 251);

    FileSeries series(kDirectFrom, 2);
    QStringList paths;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.size);
        paths << framePath(dir.path(), static_cast<int>(paths.size()));
        ASSERT_TRUE(series.write(paths.back(), FileImage{source.data(), step.size}).ok());
        QStringList found;
        for (const QString& path : paths)
            found << QString::number(int(cached(path)));
        if (onDisk) {
            EXPECT_EQ(found.join(u' '), QLatin1String(step.cachedAfter));
        }
    }
    ASSERT_TRUE(series.finish().ok());
    for (int n = 0; n < paths.size(); ++n) {
        const auto* bytes = reinterpret_cast<const char*>(source.data());
        EXPECT_TRUE(contents(paths[n]) == QByteArray(bytes, qsizetype(steps[n].size))) << n;
    }
}

}  // namespace
}  // namespace kadrel

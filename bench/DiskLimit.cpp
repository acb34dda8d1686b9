// kadrel-disk-limit: how fast this disk takes bitmap files, without decoding or converting.
// Writes COUNT files frame<n>.bmp of BYTES each from one buffer in memory.
//
//   kadrel-disk-limit FOLDER COUNT BYTES [direct|buffered|dropbehind]
//
//   direct      the program's own file writer with an aligned image: direct I/O (the default)
//   buffered    the same writer with an unaligned image: its ordinary writes
//   dropbehind  ordinary writes, each file's write-back started at once and its pages
//               dropped from the page cache once written (sync_file_range, posix_fadvise)
//
// The last line is "frames=<count> seconds=<wall> fps=<rate> mbps=<MB/s>".

#include "media/FrameFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kadrel {
namespace {

int fail(const QString& reason)
{
    std::fprintf(stderr, "kadrel-disk-limit: %s\n", qPrintable(reason));
    return 1;
}

// Ordinary writes; the file written before this one is waited for and dropped from the cache.
class DropBehind {
public:
    ~DropBehind() { retire(); }

    bool write(const QString& path, const unsigned char* data, std::size_t size)
    {
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            return false;
        for (std::size_t done = 0; done < size;) {
            const ssize_t n = ::write(fd, data + done, std::min<std::size_t>(256 * 1024, size - done));
            if (n <= 0) {
                ::close(fd);
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        retire();
        m_previous = fd;
        return true;
    }

private:
    void retire()
    {
        if (m_previous < 0)
            return;
        ::sync_file_range(m_previous, 0, 0,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE
                              | SYNC_FILE_RANGE_WAIT_AFTER);
        ::posix_fadvise(m_previous, 0, 0, POSIX_FADV_DONTNEED);
        ::close(m_previous);
        m_previous = -1;
    }

    int m_previous = -1;
};

int run(const QString& folder, long count, std::size_t bytes, const QString& mode)
{
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create %1").arg(folder));
    // A bitmap's worth of bytes after one block of room, so both alignments are at hand.
    AlignedBytes memory;
    memory.reserve(bytes + kDirectIoBlock);
    std::memset(memory.data(), 0x5A, memory.capacity());
    const bool direct = mode == QLatin1String("direct");
    const FileImage image{memory.data() + (direct ? 0 : 16), bytes};
    DropBehind dropBehind;

    QElapsedTimer wall;
    wall.start();
    for (long n = 0; n < count; ++n) {
        const QString path = folder + QStringLiteral("/frame%1.bmp").arg(n);
        if (mode == QLatin1String("dropbehind")) {
            if (!dropBehind.write(path, image.data, image.size))
                return fail(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(
                                                                   std::strerror(errno))));
        } else if (const Status s = writeFrameFile(path, image); !s) {
            return fail(s.text());
        }
    }
    const double seconds = wall.nsecsElapsed() / 1e9;
    std::printf("frames=%ld seconds=%.3f fps=%.2f mbps=%.0f\n", count, seconds,
                count / seconds, double(count) * bytes / seconds / 1e6);
    return 0;
}

}  // namespace
}  // namespace kadrel

int main(int argc, char** argv)
{
    const QString mode = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("direct");
    if (argc < 4 || argc > 5
        || !QStringList{"direct", "buffered", "dropbehind"}.contains(mode)) {
        return kadrel::fail(QStringLiteral(
            "usage: kadrel-disk-limit FOLDER COUNT BYTES [direct|buffered|dropbehind]"));
    }
    return kadrel::run(QString::fromLocal8Bit(argv[1]), std::atol(argv[2]),
                       static_cast<std::size_t>(std::atoll(argv[3])), mode);
}

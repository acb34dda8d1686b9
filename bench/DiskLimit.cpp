// kadrel-disk-limit: how fast this disk takes bitmap files, without decoding or converting.
// Writes COUNT files frame<n>.bmp of BYTES each from one buffer in memory.
//
//   kadrel-disk-limit FOLDER COUNT BYTES [direct|buffered|series [WINDOW [DIRECT_FROM]]]
//
//   direct      the program's single-file writer with an aligned image: direct I/O (the default)
//   buffered    the same writer with an unaligned image: its ordinary writes
//   series      the bulk run's FileSeries: direct I/O from its size threshold up, below it
//               ordinary writes with WINDOW files on their way to the disk (defaults: its own)
//
// The last line is "frames=<count> seconds=<wall> fps=<rate> mbps=<MB/s>".

#include "output/FrameFile.h"

#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

namespace kadrel {
namespace {

int fail(const QString& reason)
{
    std::fprintf(stderr, "kadrel-disk-limit: %s\n", qPrintable(reason));
    return 1;
}

int run(const QString& folder, long count, std::size_t bytes, const QString& mode,
        std::size_t window, std::size_t directFrom)
{
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create %1").arg(folder));
    // A bitmap's worth of bytes after one block of room, so both alignments are at hand.
    AlignedBytes memory;
    memory.reserve(bytes + kDirectIoBlock);
    std::memset(memory.data(), 0x5A, memory.capacity());
    const bool unaligned = mode == QLatin1String("buffered");
    const FileImage image{memory.data() + (unaligned ? 16 : 0), bytes};
    FileSeries series(directFrom, window);

    QElapsedTimer wall;
    wall.start();
    for (long n = 0; n < count; ++n) {
        const QString path = folder + QStringLiteral("/frame%1.bmp").arg(n);
        if (mode == QLatin1String("series")) {
            if (const FileStatus s = series.write(path, image); !s.ok())
                return fail(s.status.text());
        } else if (const Status s = writeFrameFile(path, image); !s) {
            return fail(s.text());
        }
    }
    if (const FileStatus s = series.finish(); !s.ok())
        return fail(s.status.text());
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
    using kadrel::FileSeries;
    const long window = argc > 5 ? std::atol(argv[5]) : long{FileSeries::kWindow};
    const long long directFrom = argc > 6 ? std::atoll(argv[6]) : FileSeries::kDirectFrom;
    if (argc < 4 || argc > 7 || window < 1 || directFrom < 0
        || !QStringList{"direct", "buffered", "series"}.contains(mode)
        || (argc > 5 && mode != QLatin1String("series"))) {
        return kadrel::fail(QStringLiteral("usage: kadrel-disk-limit FOLDER COUNT BYTES "
                                           "[direct|buffered|series [WINDOW [DIRECT_FROM]]]"));
    }
    return kadrel::run(QString::fromLocal8Bit(argv[1]), std::atol(argv[2]),
                       static_cast<std::size_t>(std::atoll(argv[3])), mode,
                       static_cast<std::size_t>(window), static_cast<std::size_t>(directFrom));
}

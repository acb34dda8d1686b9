#pragma once
// A frame's bytes on their way to the disk.
//
//   writeFrameFile  writes the bytes as the whole file, with direct I/O where it can
//   FileSeries      writes a run's files one after another, keeping the page cache small
//
// None of this waits for anything but the disk, and nothing here starts a thread.

#include "common/Status.h"
#include "output/FrameBuffer.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <deque>
#include <sys/stat.h>

namespace kadrel {

// Writes image as the whole file at path, replacing an existing file's contents and length:
// with direct I/O (the bytes go to the disk without filling the page cache) where the image is
// aligned for it and the file system takes it, else with ordinary writes. A failure, which
// names path, leaves no file of that name behind (a device such as /dev/full is never removed).
Status writeFrameFile(const QString& path, FileImage image);

// The outcome of frame files: success, or the first file that could not be saved and why.
struct [[nodiscard]] FileStatus {
    QString path;  // empty on success, and for a failure before any file
    Status status;
    bool ok() const { return status.ok(); }
};

// A file written whole and still open, until its bytes are known to be on the disk.
struct OpenFile {
    QString path;
    QByteArray name;  // path as the system takes it
    int fd = -1;
    struct stat opened {};
};

// A run's files, written one after another without filling the page cache. Files of
// directFrom bytes and more are written with direct I/O, as writeFrameFile does. A smaller
// file written directly would wait for the disk with nothing else in flight, so it is written
// with ordinary writes and its write-back starts at once; the file `window` places back is
// waited for and dropped from the page cache, so at most `window` files are cached.
// A write-back error thus shows while a later file is written: the failure names the file it
// belongs to, and that file (when still the one written) and every file after it are removed.
class FileSeries {
public:
    // 1080p bitmaps (8.3 MB) go through the window: with eight files in flight the disk takes
    // them about 1.5 times as fast as one direct write at a time. From 16 MiB (4K) on the
    // window would hold over 128 MB of the page cache, so those files are written directly.
    static constexpr std::size_t kDirectFrom = 16 * 1024 * 1024;
    static constexpr std::size_t kWindow = 8;

    explicit FileSeries(std::size_t directFrom = kDirectFrom, std::size_t window = kWindow);
    ~FileSeries();  // finish(), for the files in flight
    FileSeries(const FileSeries&) = delete;
    FileSeries& operator=(const FileSeries&) = delete;

    // Writes image as the whole file at path; a failure is the first file that failed.
    FileStatus write(const QString& path, FileImage image);
    // Waits until the files in flight are on the disk; the first failure as write() reports it.
    FileStatus finish();

private:
    FileStatus retireOldest();

    std::size_t m_directFrom;
    std::size_t m_window;
    std::deque<OpenFile> m_inFlight;
};

}  // namespace kadrel

#include "output/FrameFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kadrel {

namespace {

// Ordinary writes go out in pieces of this size: one write of a whole 1080p frame costs the
// kernel several times more than the same bytes in 256 KiB pieces.
constexpr std::size_t kWritePiece = 256 * 1024;

Status errnoStatus(int error, const QString& path)
{
    return Status::failure(error, QStringLiteral("%1: %2").arg(
                                      path, QString::fromLocal8Bit(std::strerror(error))));
}

// One write, again when a signal interrupts it; -1 with errno on failure, where nothing
// written at all is a full disk.
ssize_t writeSome(int fd, const unsigned char* data, std::size_t size)
{
    ssize_t written;
    do
        written = ::write(fd, data, size);
    while (written < 0 && errno == EINTR);
    if (written == 0)
        errno = ENOSPC;
    return written == 0 ? -1 : written;
}

// Writes size bytes from data at the file's present offset, resuming after short writes.
Status writeBuffered(int fd, const unsigned char* data, std::size_t size, const QString& path)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t written = writeSome(fd, data + done, std::min(kWritePiece, size - done));
        if (written < 0)
            return errnoStatus(errno, path);
        done += static_cast<std::size_t>(written);
    }
    return {};
}

// Whole blocks with direct I/O, then the length cut to the image's. Where the file system
// refuses direct I/O for a write, the rest goes out as ordinary writes.
Status writeDirect(int fd, FileImage image, const QString& path)
{
    const std::size_t padded = roundUpToBlock(image.size);
    std::size_t done = 0;
    while (done < padded && done % kDirectIoBlock == 0) {
        const ssize_t written = writeSome(fd, image.data + done, padded - done);
        if (written < 0 && errno == EINVAL)
            break;
        if (written < 0)
            return errnoStatus(errno, path);
        done += static_cast<std::size_t>(written);
    }
    if (done < image.size) {
        if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_DIRECT) != 0
            || ::lseek(fd, static_cast<off_t>(done), SEEK_SET) < 0)
            return errnoStatus(errno, path);
        if (Status s = writeBuffered(fd, image.data + done, image.size - done, path); !s)
            return s;
    }
    if (::ftruncate(fd, static_cast<off_t>(image.size)) != 0)
        return errnoStatus(errno, path);
    return {};
}

int openForWriting(const QByteArray& name, bool direct)
{
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (direct ? O_DIRECT : 0);
    int fd;
    do
        fd = ::open(name.constData(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Removes the file when it is still the regular file opened (fstat'ed) as opened.
void removePartial(const OpenFile& file)
{
    struct stat named {};
    if (S_ISREG(file.opened.st_mode) && ::lstat(file.name.constData(), &named) == 0
        && named.st_dev == file.opened.st_dev && named.st_ino == file.opened.st_ino)
        ::unlink(file.name.constData());
}

// Closes a file that is not kept and removes it.
void discard(const OpenFile& file)
{
    ::close(file.fd);
    removePartial(file);
}

// Opens path and writes image as the whole file, with direct I/O where allowed, the image is
// aligned for it and the file system takes it. A failure closes and removes the file.
Result<OpenFile> writeOpen(const QString& path, FileImage image, bool directAllowed)
{
    OpenFile file{path, QFile::encodeName(path), -1, {}};
    const bool aligned = directAllowed
                         && reinterpret_cast<std::uintptr_t>(image.data) % kDirectIoBlock == 0;
    file.fd = aligned ? openForWriting(file.name, true) : -1;
    const bool direct = file.fd >= 0;
    // EINVAL: the file system takes no direct I/O (tmpfs before Linux 6.6, some network ones).
    if (file.fd < 0 && aligned && errno != EINVAL)
        return errnoStatus(errno, path);
    if (file.fd < 0 && (file.fd = openForWriting(file.name, false)) < 0)
        return errnoStatus(errno, path);
    Status written = ::fstat(file.fd, &file.opened) != 0 ? errnoStatus(errno, path)
                     : direct ? writeDirect(file.fd, image, path)
                              : writeBuffered(file.fd, image.data, image.size, path);
    if (written)
        return file;
    discard(file);
    return written;
}

// Waits until the file's bytes are on the disk, then drops them from the page cache.
Status waitForWriteBack(const OpenFile& file)
{
    if (!S_ISREG(file.opened.st_mode))
        return {};
    const unsigned flags =
        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    if (::sync_file_range(file.fd, 0, 0, flags) != 0)
        return errnoStatus(errno, file.path);
    ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_DONTNEED);
    return {};
}

// Closes a file written whole; a failure to close removes it.
Status closeWritten(const OpenFile& file)
{
    if (::close(file.fd) == 0)
        return {};
    Status closed = errnoStatus(errno, file.path);
    removePartial(file);
    return closed;
}

}  // namespace

Status writeFrameFile(const QString& path, FileImage image)
{
    Result<OpenFile> file = writeOpen(path, image, true);
    return file ? closeWritten(file.value()) : file.status();
}

FileSeries::FileSeries(std::size_t directFrom, std::size_t window)
    : m_directFrom(directFrom), m_window(std::max<std::size_t>(window, 1))
{
}

FileSeries::~FileSeries()
{
    static_cast<void>(finish());
}

FileStatus FileSeries::write(const QString& path, FileImage image)
{
    if (m_inFlight.size() >= m_window)
        if (FileStatus oldest = retireOldest(); !oldest.ok())
            return oldest;
    Result<OpenFile> file = writeOpen(path, image, image.size >= m_directFrom);
    if (!file) {
        // A file before this one whose write-back failed is the first failure.
        FileStatus earlier = finish();
        return earlier.ok() ? FileStatus{path, file.status()} : earlier;
    }
    // Write-back starts now, while the next frames are decoded; it is waited for later.
    if (S_ISREG(file.value().opened.st_mode))
        ::sync_file_range(file.value().fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    m_inFlight.push_back(file.value());
    return {};
}

FileStatus FileSeries::finish()
{
    while (!m_inFlight.empty())
        if (FileStatus oldest = retireOldest(); !oldest.ok())
            return oldest;
    return {};
}

FileStatus FileSeries::retireOldest()
{
    const OpenFile file = m_inFlight.front();
    m_inFlight.pop_front();
    Status done = waitForWriteBack(file);
    if (done)
        done = closeWritten(file);
    else
        discard(file);
    if (done)
        return {};
    // The files after it are not left behind either.
    for (const OpenFile& later : std::exchange(m_inFlight, {}))
        discard(later);
    return {file.path, std::move(done)};
}

}  // namespace kadrel

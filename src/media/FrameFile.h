#pragma once
// A frame snapshot on its way to a file: the memory it is converted into, the encoding of it
// into a file's bytes, and the writing of those bytes.
//
//   FrameBuffer   aligned memory, kept from frame to frame, holding the renderer's packed DIB
//                 with room for a file header before it, so that a bitmap file is written
//                 straight from it without a copy (AlignedBytes: the memory itself)
//   FrameEncoder  turns the DIB into the file's bytes; one per output type (frameEncoderFor,
//                 media/ImageFormat.h). It may run on a writer thread, so it
//                 touches nothing but the buffer it is given (and state it owns alone).
//   writeFrameFile  writes the bytes as the whole file, with direct I/O where it can
//   FileSeries    writes a run's files one after another, keeping the page cache small
//   FrameWriter   where a bulk run hands its snapshots, to be encoded and written behind it
//
// None of this waits for anything but the disk, and nothing here starts a thread.

#include "common/Status.h"

#include <QString>

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace kadrel {

// Direct I/O takes memory, offsets and lengths in whole blocks of this size.
inline constexpr std::size_t kDirectIoBlock = 4096;

// The bytes of one file, as an encoder hands them to the writer. Direct I/O is used when data
// starts on a block boundary and the memory runs on to the next block boundary after size.
struct FileImage {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// Memory aligned for direct I/O that only ever grows, so that it is allocated once per run.
class AlignedBytes {
public:
    // Room for at least size bytes plus the padding to the next block. Growing starts afresh
    // with zeros; otherwise the contents stay.
    void reserve(std::size_t size);
    unsigned char* data() { return m_data.get(); }
    std::size_t capacity() const { return m_capacity; }

private:
    struct Free {
        void operator()(unsigned char* p) const;
    };
    std::unique_ptr<unsigned char, Free> m_data;
    std::size_t m_capacity = 0;
};

// One frame: the packed DIB the renderer delivers (a 40-byte BITMAPINFOHEADER, then the
// rows), preceded by kHeaderRoom free bytes that start on a block boundary.
class FrameBuffer {
public:
    static constexpr std::size_t kHeaderRoom = 14;  // a bitmap's file header

    // Makes room for a DIB of dibBytes; earlier contents are not cleared.
    void reserveDib(std::size_t dibBytes);
    unsigned char* dib() { return m_memory.data() + kHeaderRoom; }
    std::size_t dibBytes() const { return m_dibBytes; }
    // The header room and the DIB as one run of bytes, starting on a block boundary.
    unsigned char* withHeaderRoom() { return m_memory.data(); }

private:
    AlignedBytes m_memory;
    std::size_t m_dibBytes = 0;
};

// Turns the frame's DIB into the file's bytes: in place in the buffer (a bitmap), or in
// memory the encoder owns (an AlignedBytes, for direct I/O), for compressed types. The bytes
// must stay valid until the encoder is called again; the writer calls it for one frame at a
// time and writes the file before the next call.
using FrameEncoder = std::function<Result<FileImage>(FrameBuffer& frame)>;

// The bitmap file, built in place: the 14-byte file header in the header room ("BM", the
// file's length, 54 to the pixels), the info header with biSizeImage cut to its lowest and
// highest byte and the resolutions at 72 dpi, and zeros after what the renderer delivered.
// The file is 14 + dibBytes long whatever the depth delivered.
Result<FileImage> encodeBitmap(FrameBuffer& frame);

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

// Where a bulk run's snapshots become files. The run fills the buffers one at a time on its
// own thread; the writer encodes and writes them in the order they were handed over, while
// the run goes on with the next frame. Once a file fails, the writer writes nothing more
// (the file that failed is removed), and hands out no buffer until finish() has reported it.
class FrameWriter {
public:
    virtual ~FrameWriter() = default;
    // A buffer for the next frame, waiting while all are in use; null after a failure.
    virtual FrameBuffer* nextBuffer() = 0;
    // Hands a buffer from nextBuffer() over, to be encoded and written at path.
    virtual void write(FrameBuffer* buffer, const QString& path, FrameEncoder encoder) = 0;
    // Gives back a buffer from nextBuffer() that holds no frame.
    virtual void release(FrameBuffer* buffer) = 0;
    // Waits until every file handed over is written, or dropped after a failure; returns the
    // first failure, and the writer is ready for the next run.
    virtual FileStatus finish() = 0;
};

}  // namespace kadrel

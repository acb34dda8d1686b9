#pragma once
// The writer thread of a bulk run: frame snapshots are encoded and written to their files
// here while the run decodes and converts the next frame.
//
// A small fixed set of buffers goes round: the run takes a free one (nextBuffer, waiting while
// all are in hand), converts the frame into it and hands it over (write); the thread encodes
// it, writes its file and frees it. Nothing is allocated per frame once the buffers have grown
// to the frame's size. Files are written one at a time, in the order handed over, through a
// FileSeries: small files may still be on their way to the disk while later ones are written.
//
// Failure: the file that fails (in its write-back too) and any written after it are removed,
// the files handed over after it are dropped unwritten and nextBuffer() returns null, so the
// run stops there; finish() reports the file and why. finish() and the destructor wait for
// the files in hand, on the disk, so a cancelled or closed run leaves complete files only.
//
// Usage (one thread, the run's, calls everything):
//   FrameFileWriter writer;
//   for each frame:
//       FrameBuffer* buffer = writer.nextBuffer();     // null: a file failed, see finish()
//       buffer->reserveDib(bytes); fill buffer->dib();  // or writer.release(buffer) on failure
//       writer.write(buffer, path, encoder);            // the encoder outlives finish()
//   FileStatus done = writer.finish();

#include "output/FrameEncoder.h"
#include "output/FrameFile.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kadrel {

class FrameFileWriter final {
public:
    // buffers: how many frames may be in hand at once, the one being filled included (>= 2).
    explicit FrameFileWriter(int buffers = 3);
    ~FrameFileWriter();
    FrameFileWriter(const FrameFileWriter&) = delete;
    FrameFileWriter& operator=(const FrameFileWriter&) = delete;

    // A buffer for the next frame, waiting while all are in use; null after a failure.
    FrameBuffer* nextBuffer();
    // Hands a buffer from nextBuffer() over, to be encoded by encoder and written at path.
    void write(FrameBuffer* buffer, const QString& path, FrameEncoder& encoder);
    // Gives back a buffer from nextBuffer() that holds no frame.
    void release(FrameBuffer* buffer);
    // Waits until every file handed over is written, or dropped after a failure; returns the
    // first failure, and the writer is ready for the next run.
    FileStatus finish();
    // How many of the files handed over are written so far (a later write-back failure may
    // still remove the last few, which finish() then reports).
    std::size_t written();

private:
    struct Job {
        FrameBuffer* buffer = nullptr;
        QString path;
        FrameEncoder* encoder = nullptr;
    };

    void run();
    FileStatus encodeAndWrite(Job& job);
    // With the lock held: the jobs waiting are dropped and their buffers freed.
    void dropWaiting();

    std::vector<FrameBuffer> m_buffers;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<FrameBuffer*> m_free;
    std::vector<Job> m_jobs;  // a ring of the jobs waiting, oldest at m_first
    std::size_t m_first = 0;
    std::size_t m_waiting = 0;
    bool m_writing = false;
    bool m_stopping = false;
    std::size_t m_written = 0;
    FileStatus m_failure;
    FileSeries m_files;  // the thread's, and finish()'s while the thread is idle
    std::thread m_thread;  // last: it starts once everything above exists
};

}  // namespace kadrel

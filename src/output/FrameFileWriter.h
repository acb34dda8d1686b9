#pragma once
// The writer threads of a bulk run: frame snapshots are encoded and written to their files
// here while the run decodes and converts the next frame.
//
// A small fixed set of buffers goes round: the run takes a free one (nextBuffer, waiting while
// all are in hand), converts the frame into it and hands it over (write); a thread encodes it
// with an encoder of its own, writes its file and frees it. Two threads encode two frames at
// once, as one frame's encoding (WebP above all) takes longer than decoding the next. Nothing
// is allocated per frame once the buffers have grown to the frame's size. Files are written
// one at a time, in the order handed over, through a FileSeries: small files may still be on
// their way to the disk while later ones are written.
//
// Failure: the file that fails (in its write-back too) and any written after it are removed,
// the files handed over after it are dropped unwritten and nextBuffer() returns null, so the
// run stops there; finish() reports the file and why. finish() and the destructor wait for
// the files in hand, on the disk, so a cancelled or closed run leaves complete files only.
//
// Usage (one thread, the run's, calls everything):
//   FrameFileWriter writer([] { return makeFrameEncoder(format); });
//   for each frame:
//       FrameBuffer* buffer = writer.nextBuffer();     // null: a file failed, see finish()
//       buffer->reserveDib(bytes); fill buffer->dib();  // or writer.release(buffer) on failure
//       writer.write(buffer, path);
//   FileStatus done = writer.finish();

#include "output/FrameEncoder.h"
#include "output/FrameFile.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kadrel {

class FrameFileWriter final {
public:
    using EncoderMaker = std::function<std::unique_ptr<FrameEncoder>()>;
    // makeEncoder: called once by each thread, for its own encoder. buffers: how many frames
    // may be in hand at once, the one being filled included (>= 3).
    explicit FrameFileWriter(const EncoderMaker& makeEncoder, int buffers = 4);
    ~FrameFileWriter();
    FrameFileWriter(const FrameFileWriter&) = delete;
    FrameFileWriter& operator=(const FrameFileWriter&) = delete;

    // A buffer for the next frame, waiting while all are in use; null after a failure.
    FrameBuffer* nextBuffer();
    // Hands a buffer from nextBuffer() over, to be encoded with the frame's facts and written
    // at path.
    void write(FrameBuffer* buffer, const QString& path, const FrameFacts& facts = {});
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
        FrameFacts facts;
    };

    void run(FrameEncoder& encoder);
    // With the lock held, and the job's turn come: writes its image, or records its failure.
    void writeInTurn(std::unique_lock<std::mutex>& lock, const Job& job,
                     const Result<FileImage>& image);
    FileStatus writeImage(const Job& job, const Result<FileImage>& image);
    // With the lock held: the jobs waiting are dropped and their buffers freed.
    void dropWaiting();

    std::vector<FrameBuffer> m_buffers;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<FrameBuffer*> m_free;
    std::vector<Job> m_jobs;  // a ring of the jobs waiting, oldest at m_first
    std::size_t m_first = 0;
    std::size_t m_waiting = 0;
    int m_busy = 0;  // the threads encoding or writing a job
    std::uint64_t m_taken = 0;  // the jobs taken, numbering their turns to be written
    std::uint64_t m_turn = 0;   // the next job's turn to be written
    bool m_stopping = false;
    std::size_t m_written = 0;
    FileStatus m_failure;
    FileSeries m_files;  // the thread in turn's, and finish()'s while the threads are idle
    std::vector<std::thread> m_threads;  // last: they start once everything above exists
};

}  // namespace kadrel

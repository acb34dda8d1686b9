#include "output/FrameFileWriter.h"

#include <algorithm>
#include <utility>

namespace kadrel {

namespace {

// One for each core: encoding is what a run of PNG, JPEG or WebP files waits for.
constexpr int kEncodingThreads = 2;

}  // namespace

FrameFileWriter::FrameFileWriter(const EncoderMaker& makeEncoder, int buffers)
    : m_buffers(static_cast<std::size_t>(std::max(buffers, kEncodingThreads + 1))),
      m_jobs(m_buffers.size())
{
    m_free.reserve(m_buffers.size());
    for (FrameBuffer& buffer : m_buffers)
        m_free.push_back(&buffer);
    for (int i = 0; i < kEncodingThreads; ++i)
        m_threads.emplace_back([this, encoder = makeEncoder()] { run(*encoder); });
}

FrameFileWriter::~FrameFileWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

FrameBuffer* FrameFileWriter::nextBuffer()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_free.empty() || !m_failure.ok(); });
    if (!m_failure.ok())
        return nullptr;
    FrameBuffer* buffer = m_free.back();
    m_free.pop_back();
    return buffer;
}

void FrameFileWriter::write(FrameBuffer* buffer, const QString& path, const FrameFacts& facts)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_failure.ok()) {
            m_free.push_back(buffer);
            return;
        }
        Job& job = m_jobs[(m_first + m_waiting) % m_jobs.size()];
        job = {buffer, path, facts};
        ++m_waiting;
    }
    m_changed.notify_all();
}

void FrameFileWriter::release(FrameBuffer* buffer)
{
    {
        const std::lock_guard lock(m_mutex);
        m_free.push_back(buffer);
    }
    m_changed.notify_all();
}

FileStatus FrameFileWriter::finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting == 0 && m_busy == 0; });
    FileStatus failure = std::exchange(m_failure, {});
    m_written = 0;
    // The threads are idle and only this one hands them work: the files in flight are ours.
    lock.unlock();
    FileStatus flushed = m_files.finish();
    return failure.ok() ? flushed : failure;
}

std::size_t FrameFileWriter::written()
{
    const std::lock_guard lock(m_mutex);
    return m_written;
}

// Jobs are taken in the order handed over and numbered; each is encoded while the other
// thread works on its own, then written when the jobs before it are.
void FrameFileWriter::run(FrameEncoder& encoder)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_waiting > 0 || m_stopping; });
        if (m_waiting == 0)
            return;
        Job job = std::move(m_jobs[m_first]);
        m_first = (m_first + 1) % m_jobs.size();
        --m_waiting;
        const std::uint64_t turn = m_taken++;
        ++m_busy;
        lock.unlock();
        const Result<FileImage> image = encoder.encode(*job.buffer, job.facts);
        job.buffer->planes() = {};  // the decoder's picture, given back once encoded
        lock.lock();
        m_changed.wait(lock, [&] { return m_turn == turn; });
        writeInTurn(lock, job, image);
        ++m_turn;
        --m_busy;
        m_free.push_back(job.buffer);
        m_changed.notify_all();
    }
}

void FrameFileWriter::writeInTurn(std::unique_lock<std::mutex>& lock, const Job& job,
                                  const Result<FileImage>& image)
{
    if (!m_failure.ok())
        return;  // handed over after a file that failed: dropped
    lock.unlock();
    FileStatus written = writeImage(job, image);
    lock.lock();
    if (written.ok()) {
        ++m_written;
    } else {
        m_failure = std::move(written);
        dropWaiting();
    }
}

FileStatus FrameFileWriter::writeImage(const Job& job, const Result<FileImage>& image)
{
    if (image)
        return m_files.write(job.path, image.value());
    // A file before this one whose write-back failed is the first failure.
    FileStatus earlier = m_files.finish();
    return earlier.ok() ? FileStatus{job.path, image.status()} : earlier;
}

void FrameFileWriter::dropWaiting()
{
    for (; m_waiting > 0; --m_waiting) {
        m_free.push_back(m_jobs[m_first].buffer);
        m_first = (m_first + 1) % m_jobs.size();
    }
}

}  // namespace kadrel

#include "output/FrameFileWriter.h"

#include <algorithm>
#include <utility>

namespace kadrel {

FrameFileWriter::FrameFileWriter(int buffers)
    : m_buffers(static_cast<std::size_t>(std::max(buffers, 2))), m_jobs(m_buffers.size())
{
    m_free.reserve(m_buffers.size());
    for (FrameBuffer& buffer : m_buffers)
        m_free.push_back(&buffer);
    m_thread = std::thread([this] { run(); });
}

FrameFileWriter::~FrameFileWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
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

void FrameFileWriter::write(FrameBuffer* buffer, const QString& path, FrameEncoder& encoder)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_failure.ok()) {
            m_free.push_back(buffer);
            return;
        }
        Job& job = m_jobs[(m_first + m_waiting) % m_jobs.size()];
        job = {buffer, path, &encoder};
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
    m_changed.wait(lock, [this] { return m_waiting == 0 && !m_writing; });
    FileStatus failure = std::exchange(m_failure, {});
    m_written = 0;
    // The thread is idle and only this one hands it work: the files in flight are ours.
    lock.unlock();
    FileStatus flushed = m_files.finish();
    return failure.ok() ? flushed : failure;
}

std::size_t FrameFileWriter::written()
{
    const std::lock_guard lock(m_mutex);
    return m_written;
}

void FrameFileWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_waiting > 0 || m_stopping; });
        if (m_waiting == 0)
            return;
        Job job = std::move(m_jobs[m_first]);
        m_first = (m_first + 1) % m_jobs.size();
        --m_waiting;
        m_writing = true;
        lock.unlock();
        FileStatus written = encodeAndWrite(job);
        lock.lock();
        m_writing = false;
        m_free.push_back(job.buffer);
        if (written.ok()) {
            ++m_written;
        } else {
            m_failure = std::move(written);
            dropWaiting();
        }
        m_changed.notify_all();
    }
}

FileStatus FrameFileWriter::encodeAndWrite(Job& job)
{
    const Result<FileImage> image = job.encoder->encode(*job.buffer);
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

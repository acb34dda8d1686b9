#include "media/ffmpeg/FrameFileWriter.h"

#include <algorithm>
#include <utility>

namespace kadrel::ffmpeg {

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

void FrameFileWriter::write(FrameBuffer* buffer, const QString& path, FrameEncoder encoder)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_failure.ok()) {
            m_free.push_back(buffer);
            return;
        }
        Job& job = m_jobs[(m_first + m_waiting) % m_jobs.size()];
        job = {buffer, path, std::move(encoder)};
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
    return std::exchange(m_failure, {});
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
        if (!written.ok()) {
            m_failure = std::move(written);
            dropWaiting();
        }
        m_changed.notify_all();
    }
}

FileStatus FrameFileWriter::encodeAndWrite(Job& job)
{
    const Result<FileImage> image = job.encoder(*job.buffer);
    Status written = image ? writeFrameFile(job.path, image.value()) : image.status();
    if (written)
        return {};
    return {job.path, std::move(written)};
}

void FrameFileWriter::dropWaiting()
{
    for (; m_waiting > 0; --m_waiting) {
        m_free.push_back(m_jobs[m_first].buffer);
        m_first = (m_first + 1) % m_jobs.size();
    }
}

}  // namespace kadrel::ffmpeg

#include "media/ffmpeg/PipeInput.h"

#include "media/MediaErrors.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kadrel::ffmpeg {

namespace {

constexpr int kBufferSize = 64 * 1024;
// How long one poll waits before the interrupt is asked again.
constexpr int kPollMs = 50;

}  // namespace

void AvioDeleter::operator()(AVIOContext* c) const
{
    av_freep(&c->buffer);
    avio_context_free(&c);
}

bool PipeInput::isStream(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0
           && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode));
}

PipeInput::~PipeInput()
{
    m_context.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

Status PipeInput::open(const QString& path, std::function<bool()> interrupted)
{
    // Without O_NONBLOCK, opening a FIFO waits until something opens it for writing.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return Status::failure(mediaerror::kOpen,
                               QStringLiteral("Cannot open %1: %2").arg(path, strerror(errno)));
    m_interrupted = std::move(interrupted);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    m_context.reset(avio_alloc_context(buffer, kBufferSize, 0, this, &PipeInput::read, nullptr,
                                       nullptr));
    if (!m_context) {
        av_free(buffer);
        return Status::failure(mediaerror::kOpen,
                               QStringLiteral("Cannot open %1: out of memory").arg(path));
    }
    return {};
}

// Until a writer has come and gone, a FIFO polls neither readable nor hung up: the wait goes
// on, one short poll at a time, until data, the end, or an interrupt.
int PipeInput::read(void* input, uint8_t* buffer, int size)
{
    auto* self = static_cast<PipeInput*>(input);
    for (;;) {
        if (self->m_interrupted())
            return AVERROR_EXIT;
        pollfd ready{self->m_fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kPollMs);
        if (polled < 0 && errno != EINTR)
            return AVERROR(errno);
        if (polled <= 0)
            continue;
        const ssize_t got = ::read(self->m_fd, buffer, size);
        if (got > 0)
            return int(got);
        if (got == 0)
            return AVERROR_EOF;
        if (errno != EAGAIN && errno != EINTR)
            return AVERROR(errno);
    }
}

}  // namespace kadrel::ffmpeg

#include "media/FrameImageSaver.h"

#include "common/Rounding.h"
#include "media/ActiveMovieControl.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kadrel {

namespace {

// Error numbers: no encoder exists for the type asked for; no video is open.
constexpr int kNoEncoderError = 445;
constexpr int kNoVideoError = 91;

Status errnoStatus(int error, const QString& path)
{
    return Status::failure(error, QStringLiteral("%1: %2").arg(
                                      path, QString::fromLocal8Bit(std::strerror(error))));
}

Status writeAll(int fd, const std::vector<unsigned char>& bytes, const QString& path)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return errnoStatus(written < 0 ? errno : ENOSPC, path);
        done += static_cast<std::size_t>(written);
    }
    return {};
}

}  // namespace

Status writeWholeFile(const QString& path, const std::vector<unsigned char>& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return errnoStatus(errno, path);
    Status written = writeAll(fd, bytes, path);
    if (::close(fd) != 0 && written)
        written = errnoStatus(errno, path);
    if (!written)
        ::unlink(name.constData());
    return written;
}

FrameImageSaver::FrameImageSaver(ImageEncoderFactory encoders) : m_encoders(std::move(encoders))
{
}

Status FrameImageSaver::save(ActiveMovieControl& control, const QString& path,
                             ImageFormat format, int quality)
{
    if (format == ImageFormat::Bmp)
        return control.SaveFrameBitmap(path);
    ImageEncoder* encode = encoder(format, quality);
    if (!encode)
        return Status::failure(kNoEncoderError,
                               QStringLiteral("No encoder for %1").arg(
                                   imageFormatInfo(format).description));
    if (Status s = snapshot(control); !s)
        return s;
    if (Status s = encode->encode(m_dib.data(), m_dib.size(), m_file); !s)
        return s;
    return writeWholeFile(path, m_file);
}

// The snapshot as SaveFrameBitmap takes it: the renderer fills a buffer of the frame's size.
Status FrameImageSaver::snapshot(ActiveMovieControl& control)
{
    IBasicVideo* video = control.session().basicVideo.get();
    if (!video)
        return Status::failure(kNoVideoError, QStringLiteral("No video is open"));
    const Result<std::int32_t> width = video->get_VideoWidth();
    if (!width)
        return width.status();
    const Result<std::int32_t> height = video->get_VideoHeight();
    if (!height)
        return height.status();
    const std::int64_t bytes = 40 + std::int64_t{4} * width.value() * height.value();
    if (width.value() <= 0 || height.value() <= 0 || bytes > INT32_MAX)
        return Status::failure(kOverflowError, QStringLiteral("Overflow"));
    m_dib.resize(static_cast<std::size_t>(bytes));
    return video->GetCurrentImage(static_cast<std::int32_t>(bytes), m_dib.data());
}

ImageEncoder* FrameImageSaver::encoder(ImageFormat format, int quality)
{
    if (!m_encoder || m_format != format || m_quality != quality) {
        m_encoder = m_encoders ? m_encoders(format, quality) : nullptr;
        m_format = format;
        m_quality = quality;
    }
    return m_encoder.get();
}

}  // namespace kadrel

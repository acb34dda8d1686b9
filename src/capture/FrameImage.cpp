#include "capture/FrameImage.h"

#include "media/ActiveMovieControl.h"

#include <cstring>

namespace kadrel {

Result<QImage> frameOnShow(ActiveMovieControl& control)
{
    FrameBuffer buffer;
    if (Status s = control.SnapshotFrame(buffer); !s)
        return s;
    // A DIB: the 40-byte info header, then bottom-up rows of B,G,R(,X) padded to 4 bytes.
    const unsigned char* dib = buffer.dib();
    std::int32_t width = 0, height = 0;
    std::uint16_t bits = 0;
    std::memcpy(&width, dib + 4, 4);
    std::memcpy(&height, dib + 8, 4);
    std::memcpy(&bits, dib + 14, 2);
    const QImage::Format format = bits == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888;
    const qsizetype stride = (qsizetype{width} * bits + 31) / 32 * 4;
    const QImage rows(dib + 40, width, height, stride, format);
    return rows.mirrored(false, true).convertToFormat(QImage::Format_RGB32);
}

}  // namespace kadrel

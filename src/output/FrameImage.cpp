#include "output/FrameImage.h"

#include "output/SaveFrame.h"
#include "output/Snapshot.h"

#include <cstring>

namespace kadrel {

Result<QImage> frameOnShow(ActiveMovieControl& movie)
{
    FrameBuffer buffer;
    if (Status s = takeSnapshot(movie, buffer); !s)
        return s;
    const Result<Picture> picture = readSnapshot(buffer.dib(), buffer.dibBytes());
    if (!picture)
        return picture.status();
    const Picture& rows = picture.value();
    QImage image(rows.width, rows.height, QImage::Format_RGB32);
    for (int y = 0; y < rows.height; ++y)
        std::memcpy(image.scanLine(y), rows.row(y), 4 * std::size_t(rows.width));
    return image;
}

}  // namespace kadrel

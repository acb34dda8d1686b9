#include "dialogs/MediaFacts.h"

#include <QFile>

#include <sys/stat.h>

namespace kadrel {

std::int64_t compressedFileSize(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return sizeOnDisk(info.st_size, info.st_blocks);
}

std::int64_t sizeOnDisk(std::int64_t length, std::int64_t blocks)
{
    const std::int64_t allocated = blocks * 512;
    return allocated < length ? allocated : length;
}

QString lengthText(double seconds, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(seconds, 'f', QLocale::FloatingPointShortest) + QStringLiteral(" Sec.");
}

QString sizeText(std::int64_t bytes)
{
    return QString::number(bytes) + QStringLiteral(" Bytes");
}

}  // namespace kadrel

#pragma once
// The facts the media information window shows, as texts.

#include <QLocale>
#include <QString>

#include <cstdint>

namespace kadrel {

// Bytes a file occupies on disk: its allocated size when that is smaller than its length (a
// sparse or compressed file), else its length. -1 when the file cannot be queried.
std::int64_t compressedFileSize(const QString& path);

// The choice above, from a file's length and its allocated 512-byte blocks.
std::int64_t sizeOnDisk(std::int64_t length, std::int64_t blocks);

// "90.5 Sec.": the shortest decimal form, the locale's decimal separator, no grouping.
QString lengthText(double seconds, const QLocale& locale);

// "1234 Bytes".
QString sizeText(std::int64_t bytes);

}  // namespace kadrel

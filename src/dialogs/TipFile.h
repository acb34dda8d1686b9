#pragma once
// The tip file: UTF-8 text, one tip a line.

#include "common/Status.h"

#include <QStringList>

namespace kadrel {

// Error number for a tip file that is not a plain file (a pipe or a device, say).
inline constexpr int kNotARegularFile = 1001;

// The lines of a text. A line ends at LF, CR LF or CR and the end is not part of it; empty
// lines count; a last line without an end counts, an end at the very end starts no new line.
QStringList splitLines(const QString& text);

// Reads the tips of a file, in file order; a leading byte-order mark is dropped.
Result<QStringList> readTipFile(const QString& path);

}  // namespace kadrel

#pragma once
// Readable Qt texts in GoogleTest's failure messages.

#include <QLatin1String>
#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }
inline void PrintTo(QLatin1String text, std::ostream* out) { PrintTo(QString(text), out); }

#include "dialogs/TipFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace kadrel {

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

Result<QStringList> readTipFile(const QString& path)
{
    // Opening a pipe for reading would wait for a writer; only plain files are read.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return Status::failure(errno, QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(info.st_mode))
        return Status::failure(kNotARegularFile, QStringLiteral("Not a plain file"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(file.error(), file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::failure(file.error(), file.errorString());

    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return splitLines(QString::fromUtf8(bytes));
}

}  // namespace kadrel

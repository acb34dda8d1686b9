#include "common/mCommon.h"

#include "common/WindowHold.h"

#include <QWidget>

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace kadrel {

namespace {

const QChar kSeparator = QLatin1Char('/');

std::optional<struct stat> statPath(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(path.toLocal8Bit().constData(), &info) != 0)
        return std::nullopt;
    return info;
}

QString patternList(const QString& patterns)
{
    QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : list) {
        // "*.*" means every file; here names need not contain a dot.
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    }
    return list.join(QLatin1Char(' '));
}

}  // namespace

QStringList ConvertFilter(const QString& filter)
{
    const QStringList items = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < items.size(); i += 2) {
        if (items[i].isEmpty() && items[i + 1].isEmpty())
            continue;
        filters << QStringLiteral("%1 (%2)").arg(items[i], patternList(items[i + 1]));
    }
    return filters;
}

QString FileDialog(Platform& platform, QWidget* owner, bool save, const QString& title,
                   const QString& filter, const QString& proposedName,
                   const QString& defaultExtension, const QString& initialFolder)
{
    if (proposedName.size() > kMaxProposedName) {
        platform.messageBox.show(owner, QStringLiteral("Filename Length Overflow"),
                                 kAppTitle + QStringLiteral(" - FileDialog Function"),
                                 MessageIcon::Exclamation);
        return {};
    }
    WindowHold held(owner);

    FileDialogRequest request;
    request.save = save;
    request.title = title;
    request.nameFilters = ConvertFilter(filter);
    request.proposedName = proposedName;
    request.defaultSuffix = defaultExtension;
    request.initialFolder = initialFolder;

    const std::uint32_t before = platform.clock.tickCount();
    QString chosen = platform.fileDialog.exec(owner, request);
    const std::uint32_t after = platform.clock.tickCount();
    if (after - before < kRefusedDialogMs) {
        request.proposedName.clear();
        chosen = platform.fileDialog.exec(owner, request);
    }

    return chosen;
}

QString ExtractPathPart(const QString& path, bool folder)
{
    const qsizetype last = path.lastIndexOf(kSeparator);
    if (folder)
        return last < 0 ? QString() : path.left(last + 1);
    return last < 0 ? path : path.mid(last + 1);
}

bool FileExists(const QString& path)
{
    const auto info = statPath(path);
    return info && !S_ISDIR(info->st_mode);
}

bool DirExists(const QString& path)
{
    QString copy = path;
    AddBackslash(copy);
    const auto info = statPath(copy);
    return info && S_ISDIR(info->st_mode);
}

void AddBackslash(QString& path)
{
    if (!path.isEmpty() && !path.endsWith(kSeparator))
        path += kSeparator;
}

bool CreatePath(Platform& platform, const QString& path)
{
    QString copy = path;
    AddBackslash(copy);

    QString errorLine;
    for (qsizetype i = copy.indexOf(kSeparator); i >= 0; i = copy.indexOf(kSeparator, i + 1)) {
        // The empty prefix before a leading separator is the root folder.
        const QString prefix = i == 0 ? QString(kSeparator) : copy.left(i);
        if (DirExists(prefix))
            continue;
        if (::mkdir(prefix.toLocal8Bit().constData(), 0777) != 0) {
            const int error = errno;
            if (error == EEXIST && DirExists(prefix))
                continue;  // made meanwhile by someone else
            errorLine = QStringLiteral("Error %1: %2\r\n")
                            .arg(error)
                            .arg(QString::fromLocal8Bit(std::strerror(error)));
            break;
        }
    }
    if (errorLine.isEmpty() && DirExists(copy))
        return true;

    const QString text = errorLine + QStringLiteral("Could Not Create/Access Directory:")
                         + QStringLiteral("\r\n\r\n") + QLatin1Char('"') + copy + QLatin1Char('"');
    platform.messageBox.show(nullptr, text, kAppTitle + QStringLiteral(" - CreatePath Function"),
                             MessageIcon::Exclamation);
    return false;
}

}  // namespace kadrel

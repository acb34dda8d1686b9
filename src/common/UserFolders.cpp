#include "common/UserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kadrel {

QString programDataFolder(const QString& binFolder)
{
    if (QFileInfo::exists(binFolder + QStringLiteral("/TIPOFDAY.TXT")))
        return binFolder;
    const QString installed = QDir::cleanPath(binFolder + QStringLiteral("/" KADREL_DATA_FROM_BIN));
    return QDir(installed).exists() ? installed : binFolder;
}

QString defaultOutputFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        return pictures;
    return QDir::homePath();
}

}  // namespace kadrel

#include "configfile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kMakerFolder = QStringLiteral("Tavelorn-Tools");
const QString kProductFolder = QStringLiteral("Tavelorn");
} // namespace

QString GetSpecialFolderPath(int folderId)
{
    if (folderId != CSIDL_APPDATA)
        return {};
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

static QString configFolder()
{
    QString folder = GetSpecialFolderPath(CSIDL_APPDATA);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + kMakerFolder + u'/' + kProductFolder + u'/';
}

QString DefaultConfigFilePath()
{
    return configFolder() + QStringLiteral("Config.ini");
}

QString LocateConfigFile(const QStringList& arguments)
{
    if (arguments.size() == 1) {
        const QFileInfo info(arguments.front());
        if (info.isFile()) // a regular file: a folder, device or pipe is no configuration
            return arguments.front();
    }
    const QString folder = configFolder();
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder); // a failure shows at the first save
    return folder + QStringLiteral("Config.ini");
}

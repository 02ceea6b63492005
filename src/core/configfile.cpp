#include "configfile.h"

#include "folders.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavelorn {

namespace {
const QString kMakerFolder = QStringLiteral("Tavelorn-Tools");
const QString kProductFolder = QStringLiteral("Tavelorn");
} // namespace

QString specialFolderPath(int folderId)
{
    if (folderId != kAppDataFolderId)
        return {};
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

static QString configFolder()
{
    QString folder = specialFolderPath(kAppDataFolderId);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + kMakerFolder + u'/' + kProductFolder + u'/';
}

QString defaultConfigFilePath()
{
    return configFolder() + QStringLiteral("Config.ini");
}

QString locateConfigFile(const QStringList& arguments)
{
    if (arguments.size() == 1) {
        const QFileInfo info(arguments.front());
        if (info.isFile()) // a regular file: a folder, device or pipe is no configuration
            return arguments.front();
    }
    const QString folder = configFolder();
    makeFolders(QFile::encodeName(folder), 0777); // a failure shows at the first save
    return folder + QStringLiteral("Config.ini");
}

} // namespace tavelorn

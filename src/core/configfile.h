#pragma once

#include <QString>
#include <QStringList>

namespace tavelorn {

// The shell folder id of the per-user configuration folder.
constexpr int kAppDataFolderId = 35;

// The path of a per-user folder by its shell folder id: 35 is the configuration folder
// (~/.config normally). Empty when the id is unknown or the lookup fails.
QString specialFolderPath(int folderId);

// <configuration folder>/Tavelorn-Tools/Tavelorn/Config.ini; creates nothing.
QString defaultConfigFilePath();

// The configuration file for a command line (arguments without the program name):
// exactly one argument naming an existing file (not a folder) is returned as given;
// otherwise the default path, whose folder is created when missing (result unchecked).
QString locateConfigFile(const QStringList& arguments);

} // namespace tavelorn

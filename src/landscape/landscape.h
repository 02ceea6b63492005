#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavelorn {

// One SAP system of a landscape file: a service of type SAPGUI that carries a systemid.
struct LandscapeSystem
{
    QString systemId; // as the file gives it
    QString name;
    QString description;
    // The workspace and folders of the first item that holds it, joined by "/"; empty
    // when no folder holds it.
    QString folderPath;
    QString uuid;
};
using LandscapeSystemList = QList<LandscapeSystem>;

// What a hostile or broken file may cost at most.
constexpr qint64 kMaxLandscapeFileSize = qint64(64) * 1024 * 1024;
constexpr qint64 kMaxLandscapeBytes = qint64(256) * 1024 * 1024; // all files read, includes too
constexpr int kMaxLandscapeServices = 100000;                    // all files read, any type
constexpr qint64 kMaxLandscapeItems = 1000000;                   // folder items, all files read
constexpr int kMaxLandscapeIncludeDepth = 8;
constexpr qsizetype kMaxLandscapeFolderPath = 1000; // characters kept of a folder path

// Reads the landscape files in the order given, each followed by the files its
// <Include> elements name (local files only, in the order of their index), and returns
// their systems in document order; a uuid defined again adds nothing. A file read
// already is not read again; one that includes itself, through any chain, is refused.
// Throws AppError naming the file (and line) at fault: no file is half read.
LandscapeSystemList readLandscapes(const QStringList& files);

} // namespace tavelorn

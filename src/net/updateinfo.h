#pragma once

#include "programversion.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <stop_token>

namespace tavelorn {

// The update information file that the maker publishes on its site: news for the About
// dialog and the newest published version. The dialog downloads it afresh each time it
// opens, off the window's thread; a failed download is silent.

// The update information file's name for the executable at executablePath: its file
// name with the extension (from the last ".") replaced by ".INF", or ".INF" appended.
QString updateInfoFileName(const QString& executablePath);

// The published version "major.minor.release.build" as four numbers: filled from the
// front, the text after the last examined dot going to build ("2.1" is 2.0.0.1); a part
// that is no integer gives 0; each part keeps its low 16 bits.
ProgramVersion parsePublishedVersion(const QString& text);

// True when published is newer than running, part by part from major to build.
bool isNewerVersion(const ProgramVersion& published, const ProgramVersion& running);

// Every "\n" or "\N" replaced by a line feed, from left to right.
QString decodeNewsLineBreaks(const QString& text);

// The update information file as downloaded; nullopt when the download failed.
using UpdateInfoFile = std::optional<QByteArray>;

// What the About dialog reads: the file downloaded twice, once for the published version
// and once for the news, as the dialog has always asked for each value.
struct UpdateInfoDownloads
{
    UpdateInfoFile versionFile;
    UpdateInfoFile newsFile;
};

// The address of this program's update information. Reads the running executable's
// path, so it is taken on the window's thread before the downloads start.
QString updateInfoUrl();

// Both downloads of url, one after the other, on the calling thread (a Job's); the second
// is skipped once stop is requested.
UpdateInfoDownloads downloadUpdateInfo(const QString& url, const std::stop_token& stop = {});

// The news text ([update] descr) with its line breaks; empty when the download failed.
QString readUpdateNews(const UpdateInfoFile& file);

// True when the published version ([file1] newversion) is newer than the running
// program's. False when the download failed, without reading the program's version;
// otherwise throws as programVersionNumbers does.
bool isNewVersionAvailable(const UpdateInfoFile& file);

} // namespace tavelorn

#pragma once

#include "programversion.h"

#include <QString>

namespace tavelorn {

// The update information file that the maker publishes on its site: news for the About
// dialog and the newest published version. Each call downloads the file afresh into a
// temporary file, reads it and deletes it; a failed download is silent.

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

// The news text ([update] descr) with its line breaks; empty when the download fails.
QString readUpdateNews();

// True when the published version ([file1] newversion) is newer than the running
// program's. False when the download fails, without reading the program's version;
// otherwise throws as programVersionNumbers does.
bool isNewVersionAvailable();

} // namespace tavelorn

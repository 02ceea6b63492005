#pragma once

#include <QString>

#include <array>
#include <functional>

// The running program's file version: major, minor, release, build.
using TProgramVersion = std::array<quint16, 4>;

// The running executable's file version. Throws EAppError with the operating-system
// error message (OSErrorMessage) when it cannot be read.
TProgramVersion ProgramVersionNumbers();

// "%d.%d.%d.%d" over ProgramVersionNumbers(); throws as it does.
QString GetProgramVersion();

// The original file name that the running executable's version information records
// (not the name it is stored under); empty when there is none.
QString ProgramOriginalFileName();

// "Erreur système.  Code : <code>." with the system's text for code on the next line, or
// the generic failure text when code is 0.
QString OSErrorMessage(int code);

// Lets a test read another version, or fail; an empty function restores the real reader.
void SetProgramVersionReaderForTesting(std::function<TProgramVersion()> reader);

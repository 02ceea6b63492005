#pragma once

#include <QString>

#include <array>
#include <functional>

namespace tavelorn {

// The running program's file version: major, minor, release, build.
using ProgramVersion = std::array<quint16, 4>;

// The running executable's file version. Throws AppError with the operating-system
// error message (osErrorMessage) when it cannot be read.
ProgramVersion programVersionNumbers();

// "%d.%d.%d.%d" over programVersionNumbers(); throws as it does.
QString programVersion();

// The original file name that the running executable's version information records
// (not the name it is stored under); empty when there is none.
QString programOriginalFileName();

// "Erreur système.  Code : <code>." with the system's text for code on the next line, or
// the generic failure text when code is 0.
QString osErrorMessage(int code);

} // namespace tavelorn

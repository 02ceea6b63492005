#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace tavelorn {

// mkdir -p: makes folder and each missing folder above it, with mode (less the umask).
// Returns 0 when folder is a folder at the end, else the errno value of the first part
// that could not be made, ENOTDIR where a part is something else than a folder. Each
// part is made by itself, so that the cause is the real one.
int makeFolders(const QByteArray& folder, mode_t mode);

} // namespace tavelorn

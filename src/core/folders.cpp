#include "folders.h"

#include <QList>

#include <cerrno>

#include <sys/stat.h>

namespace tavelorn {

namespace {

// The length of path without its trailing slashes; the root keeps its own.
qsizetype trimmedEnd(const QByteArray& path, qsizetype end)
{
    while (end > 1 && path.at(end - 1) == '/')
        --end;
    return end;
}

bool isFolder(const char* path)
{
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

int makeFolders(const QByteArray& folder, mode_t mode)
{
    // The parts are prefixes of path, cut in place by a NUL at their end.
    QByteArray path = folder;
    path.append('\0');
    char* const text = path.data();
    // Ends of the missing parts, deepest first, up to the first part that exists.
    QList<qsizetype> missing;
    if (folder.contains('\0'))
        return EINVAL; // no path the system could be given
    qsizetype end = trimmedEnd(folder, folder.size());
    if (end == 0)
        return ENOENT;
    for (;;) {
        const char kept = text[end];
        text[end] = '\0';
        struct stat st;
        const bool exists = ::stat(text, &st) == 0;
        const int cause = errno;
        text[end] = kept;
        if (exists) {
            if (!S_ISDIR(st.st_mode))
                return ENOTDIR;
            break;
        }
        missing.append(end);
        const qsizetype slash = folder.lastIndexOf('/', end - 1);
        if (slash < 0) {
            // A relative path: its first part goes into the current folder.
            if (!isFolder("."))
                return cause;
            break;
        }
        end = trimmedEnd(folder, slash == 0 ? 1 : slash);
    }
    for (qsizetype i = missing.size() - 1; i >= 0; --i) {
        const qsizetype partEnd = missing[i];
        const char kept = text[partEnd];
        text[partEnd] = '\0';
        int cause = ::mkdir(text, mode) == 0 ? 0 : errno;
        // Made meanwhile by another process: fine when it is a folder.
        if (cause == EEXIST && isFolder(text))
            cause = 0;
        else if (cause == EEXIST)
            cause = ENOTDIR;
        text[partEnd] = kept;
        if (cause != 0)
            return cause;
    }
    return 0;
}

} // namespace tavelorn

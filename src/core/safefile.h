#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tavelorn {

// Makes bytes the whole content of the file that path names, creating it when missing.
// The write either completes or leaves the old file exactly as it was. Returns 0 on
// success, else the cause: an errno value, or kErrNotRegularFile (apperror.h) for a
// device, pipe or socket.
//
// A chain of symbolic links is followed to the file it ends at (a loop gives ELOOP). In
// a sticky folder that everyone may write, a link is followed only when it belongs to
// the user or to the folder's owner (EACCES otherwise), as the kernel's protected
// symlinks rule has it.
//
// The new content goes into an unnamed temporary file in the file's folder (a named one
// ".tavelorn-XXXXXX" where the file system has no unnamed files), which is flushed to
// disk and then renamed over the file, with the file's mode, owner and group. The file
// is rewritten in place instead when it has more than one hard link, when the folder
// refuses new files or the rename, or when the replacement could not get the file's
// owner and group: the space is reserved first, the old bytes are overwritten without
// truncating, and the file is cut to its new length only at the end.
//
// An in-place rewrite first writes a rollback journal of the old bytes, flushed to disk,
// beside the file or else in the user's state folder; without a place for one the file
// is not touched. A rewrite that is killed leaves its journal, and the next write (or
// recoverInterruptedWrite) puts the old bytes back first.
//
// Temporary files left by a killed writer are removed by a later write into the same
// folder. A path holding a NUL is refused (EINVAL).
int writeFileSafely(const QString& path, QByteArrayView bytes);

// The file a write to path reaches, with the links followed as writeFileSafely follows
// them; path itself when it cannot be resolved.
QString resolvedFilePath(const QString& path);

// Puts back the old content of the file path reaches when an in-place rewrite of it was
// killed; journals whose rewrite never started are dropped. Returns 0, or the errno value
// when the file cannot be restored.
int recoverInterruptedWrite(const QString& path);

// The content that the file had before an in-place rewrite of it was killed, while its
// journal is there: what a reader that may not write reads instead of the torn file.
std::optional<QByteArray> contentBeforeInterruptedWrite(const QString& path);

// Opens path for reading when it names a regular file, without waiting on a pipe.
// Returns the descriptor, or -1 with cause set to an errno value or kErrNotRegularFile.
int openRegularFileForReading(const QString& path, int& cause);

} // namespace tavelorn

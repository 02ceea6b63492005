#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tavelorn {

// Makes bytes the whole content of the file that path names, creating it when missing.
// The write either completes or leaves the old file exactly as it was. Returns 0 on
// success, else the cause: an errno value, or a kErr… value of apperror.h (a device,
// pipe or socket; a refused link; no place for a journal).
//
// A chain of symbolic links is followed to the file it ends at (a loop gives ELOOP). In
// a folder that someone besides its owner may write, a link is followed only when it
// belongs to the user or to the folder's owner (kErrRefusedLink otherwise).
//
// The new content goes into an unnamed temporary file in the file's folder (a named one
// ".<name>.tavelorn-<random>-<tag>" where the file system has no unnamed files), which is
// flushed to disk and then renamed over the file, with the file's mode, owner and group.
// The file is rewritten in place instead when it has more than one hard link, when the
// folder refuses new files or the rename, or when the replacement could not get the
// file's owner and group: under the writers' lock (FileTransaction), with a rollback
// journal of the old bytes written first. A killed rewrite is undone by the next writer.
//
// Temporary files left by a killed writer are removed by a later write of the same file:
// only those whose name's tag proves they are ours.
int writeFileSafely(const QString& path, QByteArrayView bytes);

// The file a write to path reaches, with the links followed as writeFileSafely follows
// them; path itself when it cannot be resolved.
QString resolvedFilePath(const QString& path);

// Opens path for reading when it names a regular file, without waiting on a pipe.
// Returns the descriptor, or -1 with cause set to an errno value or kErrNotRegularFile.
int openRegularFileForReading(const QString& path, int& cause);

} // namespace tavelorn

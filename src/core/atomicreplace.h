#pragma once

// The normal way to write a file: a complete new file, flushed, renamed over the old one.

#include "safelinks.h"

#include <QByteArrayView>

#include <climits>

namespace tavelorn::atomicreplace {

// Not an errno value: the caller rewrites the file in place instead.
constexpr int kRewriteInPlace = INT_MIN;

// Writes bytes into a temporary file in folderFd (unnamed when unnamed and the file
// system allows it), with t's mode, owner and group, and renames it over t. Returns 0,
// an errno value, or kRewriteInPlace when the folder refuses the rename or the new file
// could not get t's owner and group.
int replaceFile(const safelinks::Target& t, int folderFd, QByteArrayView bytes, bool unnamed);

// Removes the temporary files for t's name that killed writers left in folderFd: only
// names this unit gives, whose tag matches the file they hold, ours and unlocked.
void removeStaleTempFiles(const safelinks::Target& t, int folderFd);

// Whether name is one this unit gives a temporary file for a file of that name.
bool isTempNameFor(const QByteArray& name, const QByteArray& targetName);

} // namespace tavelorn::atomicreplace

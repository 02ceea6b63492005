#pragma once

// In-place rewrites under a rollback journal, and the recovery of killed ones.
//
// A journal holds the file's old bytes with the file's identity (device, inode, and the
// birth time or inode generation that tells a reused inode number apart) and a checksum,
// flushed to disk before the file is touched. It is trusted only when it is a regular
// file with one link, owned by the user, by the file's owner or by someone who may write
// the file anyway, writable by no one else, no larger than the size bound plus its
// header, and describes the file as it is now. Anything else at a journal's name is
// ignored, said once (reportUntrustedFile), and never read as content.

#include "safelinks.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace tavelorn::filejournal {

// Largest file rewritten in place (and so largest journal content): the largest file
// the configuration reader reads.
constexpr qint64 kMaxContentSize = qint64(256) << 20;

// Under the writers' lock: puts back the old bytes of a killed rewrite of t, drops
// journals whose rewrite never started or whose file has been replaced since. Returns 0
// or the errno value when the file cannot be restored.
int recover(const safelinks::Target& t);

// Whether any journal name of t is taken, trusted or not: a cheap test that tells a
// writer whether it must lock before recover.
bool anyJournalPresent(const safelinks::Target& t);

// What a reader compares before and after reading: which journal names are taken, by
// which file, of what size and time. A rewrite that begins meanwhile changes it.
QByteArray journalSignature(const safelinks::Target& t);

// For a reader holding fileFd open on t: the old content of a killed (or running)
// in-place rewrite when a trusted journal describes the file; nothing otherwise.
std::optional<QByteArray> contentBeforeRewrite(const safelinks::Target& t, int fileFd);

// Under the writers' lock, after recover: rewrites t in place. cause is the failure of
// the normal path that led here, 0 when there was none.
int rewriteInPlace(const safelinks::Target& t, QByteArrayView bytes, int cause = 0);

} // namespace tavelorn::filejournal

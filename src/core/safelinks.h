#pragma once

// Which file a write to a path reaches, following symbolic links by hand.

#include <QByteArray>

#include <sys/stat.h>

namespace tavelorn::safelinks {

// The file a write to a path reaches.
struct Target
{
    QByteArray path;
    bool exists = false;
    struct stat st
    {
    };
};

// Follows the links of the last path component by hand, so that a loop is an error, not
// a file written somewhere along it. In a folder that someone besides its owner may
// write (group or others write bit), a link is followed only when it belongs to the user
// or to the folder's owner: whoever planted it there must not choose what we overwrite.
// Returns 0, an errno value, or kErrRefusedLink.
int resolveTarget(QByteArray path, Target& t);

// Whether a link of that owner may be followed in a folder of that status.
bool mayFollowLinkIn(const struct stat& folder, uid_t linkOwner);

} // namespace tavelorn::safelinks

#pragma once

#include "profile.h"

namespace tavelorn {

// True when edited differs from base in any field but the identifier.
bool profileEdited(const Profile& base, const Profile& edited);

// Applies the edit that turned base into edited to current, the profile as the file holds
// it now: every field the edit changed takes edited's value, every other field keeps
// current's, so what others changed meanwhile stays. A field both changed takes edited's
// value. The identifier is current's. A refresh line that ends up off carries no source
// and no comment, as a save of the window writes it.
Profile mergeProfileEdit(const Profile& base, const Profile& edited, const Profile& current);

} // namespace tavelorn

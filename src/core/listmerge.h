#pragma once

#include <QStringList>

namespace tavelorn {

// Applies the edit that turned before into after to current, the list as it stands now
// after other writers may have changed it: items the edit removed go (one occurrence
// each), items it added come in, the order is after's, and what others added meanwhile
// stays, each after the item it followed. When current equals before the result is after;
// when after equals before it is current. Texts compare exactly. Linear in the sizes.
QStringList mergeListEdit(const QStringList& before, const QStringList& after,
                          const QStringList& current);

} // namespace tavelorn

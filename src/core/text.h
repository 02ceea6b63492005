#pragma once

#include <QString>

namespace tavelorn {

// Removes every leading and trailing character whose code is 32 or below
// (spaces and control characters), unlike QString::trimmed's Unicode whitespace.
QString trimText(const QString& s);

} // namespace tavelorn

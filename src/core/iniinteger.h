#pragma once

#include <QStringView>

#include <optional>

namespace tavelorn {

// The integer rule of Config.ini values: leading spaces, an optional sign, then decimal
// digits within the signed 32-bit range, or at most eight hexadecimal digits after "$",
// "x", "X", "0x" or "0X" taken as a 32-bit pattern. The digits must run to the end.
std::optional<qint32> parseIniInteger(QStringView text);

} // namespace tavelorn

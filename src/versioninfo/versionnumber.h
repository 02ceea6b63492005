#pragma once

#include <QString>
#include <QtGlobal>

#include <compare>

namespace tavelorn {

// A four-part version number: major, minor, release, build.
struct VersionNumber
{
    quint16 v1 = 0;
    quint16 v2 = 0;
    quint16 v3 = 0;
    quint16 v4 = 0;

    // From the two 32-bit words of a fixed file information version: v1 and v2 are the
    // high and low halves of the most significant word, v3 and v4 those of the other.
    static VersionNumber fromWords(quint32 mostSignificant, quint32 leastSignificant);

    // "v1.v2.v3.v4" in decimal.
    QString toString() const;

    // The difference of the first parts that differ (0 when all are equal), so its sign
    // orders the numbers part by part.
    int compare(const VersionNumber& other) const;

    friend bool operator==(const VersionNumber&, const VersionNumber&) = default;
    friend std::strong_ordering operator<=>(const VersionNumber&, const VersionNumber&) = default;
};

} // namespace tavelorn

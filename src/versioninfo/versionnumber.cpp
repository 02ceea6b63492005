#include "versionnumber.h"

namespace tavelorn {

VersionNumber VersionNumber::fromWords(quint32 mostSignificant, quint32 leastSignificant)
{
    return {quint16(mostSignificant >> 16), quint16(mostSignificant & 0xFFFF),
            quint16(leastSignificant >> 16), quint16(leastSignificant & 0xFFFF)};
}

QString VersionNumber::toString() const
{
    return QString::number(v1) + u'.' + QString::number(v2) + u'.' + QString::number(v3) + u'.' +
           QString::number(v4);
}

int VersionNumber::compare(const VersionNumber& other) const
{
    // Differences taken as int: the parts are unsigned 16-bit, so no difference wraps.
    if (v1 != other.v1)
        return int(v1) - int(other.v1);
    if (v2 != other.v2)
        return int(v2) - int(other.v2);
    if (v3 != other.v3)
        return int(v3) - int(other.v3);
    return int(v4) - int(other.v4);
}

} // namespace tavelorn

#include "versionnumber.h"

TVersionNumber TVersionNumber::fromWords(quint32 mostSignificant, quint32 leastSignificant)
{
    return {quint16(mostSignificant >> 16), quint16(mostSignificant & 0xFFFF),
            quint16(leastSignificant >> 16), quint16(leastSignificant & 0xFFFF)};
}

QString TVersionNumber::toString() const
{
    return QString::number(V1) + u'.' + QString::number(V2) + u'.' + QString::number(V3) + u'.' +
           QString::number(V4);
}

int TVersionNumber::compare(const TVersionNumber& other) const
{
    // Differences taken as int: the parts are unsigned 16-bit, so no difference wraps.
    if (V1 != other.V1)
        return int(V1) - int(other.V1);
    if (V2 != other.V2)
        return int(V2) - int(other.V2);
    if (V3 != other.V3)
        return int(V3) - int(other.V3);
    return int(V4) - int(other.V4);
}

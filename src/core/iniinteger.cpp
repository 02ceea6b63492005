#include "iniinteger.h"

#include <limits>

namespace tavelorn {

std::optional<qint32> parseIniInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    if (hex) {
        if (n - i > 8)
            return std::nullopt;
        quint32 v = 0;
        for (; i < n; ++i) {
            const char16_t c = text[i].unicode();
            int d;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            else
                return std::nullopt;
            v = (v << 4) | quint32(d);
        }
        return qint32(negative ? 0u - v : v);
    }
    qint64 v = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c - u'0');
        if (v > qint64(1) << 31)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(v);
}

} // namespace tavelorn

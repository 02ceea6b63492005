#include "text.h"

namespace tavelorn {

QString trimText(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b).unicode() <= 32)
        ++b;
    while (e > b && s.at(e - 1).unicode() <= 32)
        --e;
    return (b == 0 && e == s.size()) ? s : s.mid(b, e - b);
}

} // namespace tavelorn

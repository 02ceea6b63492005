#include "systeminfo.h"

namespace tavelorn {

Color landscapeTypeColor(const LandscapeTypeList& types, const QString& name)
{
    for (const LandscapeType& t : types)
        if (t.name == name)
            return t.color;
    return kColorBlack;
}

} // namespace tavelorn

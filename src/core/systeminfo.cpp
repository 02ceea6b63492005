#include "systeminfo.h"

TColor GetLandscapeTypeColor(const tyArrLandscapeType& types, const QString& name)
{
    for (const tyLandscapeType& t : types)
        if (t.Description == name)
            return t.Color;
    return clBlack;
}

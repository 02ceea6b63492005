#pragma once

#include "colorvalue.h"

#include <QList>
#include <QString>

namespace tavelorn {

// One landscape position (DEV, QAS, PRD...) with the colour it is drawn in.
struct LandscapeType
{
    QString name;
    Color color = kColorBlack;

    bool operator==(const LandscapeType&) const = default;
};
using LandscapeTypeList = QList<LandscapeType>;

// The colour of the first position named exactly so (case counts); black when none.
Color landscapeTypeColor(const LandscapeTypeList& types, const QString& name);

} // namespace tavelorn

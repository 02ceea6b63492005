#pragma once

#include "colorvalue.h"
#include "datetime.h"

#include <QList>
#include <QString>

namespace tavelorn {

// One saved picture configuration; fields in the order of its section in Config.ini.
struct Profile
{
    QString id;
    qint32 borderWidth = 1;
    QString systemTitle;
    QString landscapePosition;
    QString sid;
    QString usage1;
    QString usage2;
    QString picturePath;
    bool pictureCenter = false;
    bool pictureStretch = false;
    QString info1;
    QString info2;
    QString info3;
    SerialDate lastRefresh = 0;
    QString refreshSource;
    QString refreshComment;

    bool operator==(const Profile&) const = default;
};
using ProfileList = QList<Profile>;

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

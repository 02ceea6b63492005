#pragma once

#include "datetime.h"

#include <QList>
#include <QString>

#include <array>
#include <variant>

namespace tavelorn {

// One saved picture configuration; fields in the order of its section in Config.ini.
// A default Profile holds what each missing key reads as.
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

// One field of a profile and the key it is stored under in its SystemInfo_n section.
// The member's type is the kind of value: text, integer, boolean or date.
struct ProfileField
{
    using Member =
        std::variant<QString Profile::*, qint32 Profile::*, bool Profile::*, SerialDate Profile::*>;
    QString key;
    Member member;
};

// Every field of a profile, in the order its section lists them, which is the order
// they are written in; the identifier comes first. Reading, writing and merging a
// profile all go through this table.
extern const std::array<ProfileField, 16> kProfileFields;

} // namespace tavelorn

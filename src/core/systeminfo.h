#pragma once

#include "colour.h"
#include "datetime.h"

#include <QList>
#include <QString>

// One saved picture configuration; fields in the order of its section in Config.ini.
struct tySystemInfo
{
    QString ID;
    qint32 BorderWidth = 1;
    QString SystemTitle;
    QString LansdscapePosition;
    QString SID;
    QString Usage1;
    QString Usage2;
    QString PictureFullPath;
    bool PictureCenter = false;
    bool PictureStretch = false;
    QString Info1;
    QString Info2;
    QString Info3;
    TDateTime LastRefresh = 0;
    QString SourceRefresh;
    QString CommentRefresh;

    bool operator==(const tySystemInfo&) const = default;
};
using tyArrSystemInfo = QList<tySystemInfo>;

// One landscape position (DEV, QAS, PRD...) with the colour it is drawn in.
struct tyLandscapeType
{
    QString Description;
    TColor Color = clBlack;

    bool operator==(const tyLandscapeType&) const = default;
};
using tyArrLandscapeType = QList<tyLandscapeType>;

// The colour of the first position named exactly so (case counts); black when none.
TColor GetLandscapeTypeColor(const tyArrLandscapeType& types, const QString& name);

#pragma once

#include "picture.h"

#include <QStringList>

#include <functional>

class TConfigStore;

// What applying a profile needs from the main window: its option lists and the
// controls that mirror the model. ApplySystemInfoToPicture calls the model operations
// itself; the set* hooks only mirror values into controls (block their change signals
// so the handlers do not run twice).
class TApplyProfileHost
{
public:
    virtual ~TApplyProfileHost() = default;

    // Option lists: make the item present as the window does when it is missing (add
    // it, save the list and reload; a refused write throws EAppError) and select the
    // item the case-insensitive search finds. Return the selector's text afterwards:
    // the list's spelling, or empty text when nothing is selected.
    virtual QString selectSystemTitle(const QString& title) = 0;
    virtual QString selectLandscapeType(const QString& position) = 0;
    // GetLandscapeTypeColor over FArrLandscapeType as it is after selectLandscapeType.
    virtual TColor landscapeTypeColor(const QString& position) = 0;
    virtual QString selectSID(const QString& sid) = 0;
    // The source system list (an empty item first, then the SIDs): a missing source is
    // added to the SID list, which is saved and reloaded.
    virtual QString selectSourceSystem(const QString& source) = 0;
    // The refresh comment list (an empty item first): a missing comment is added at the
    // end, the list saved and reloaded.
    virtual QString selectRefreshComment(const QString& comment) = 0;
    // Leaves the source system list with no item selected.
    virtual void clearSourceSystem() {}

    virtual void setBorder(int /*width*/) {}
    virtual void setUsages(const QString& /*usage1*/, const QString& /*usage2*/) {}
    // FPicturePath, set after a successful load (or emptied when there is no file).
    virtual void setPicturePath(const QString& /*path*/) {}
    virtual void setPlacement(bool /*center*/, bool /*stretch*/) {}
    virtual void setInfos(const QString& /*info1*/, const QString& /*info2*/,
                          const QString& /*info3*/)
    {
    }
    // The "Last refresh" box and the date picker (enable the refresh controls exactly
    // when checked).
    virtual void setRefresh(bool /*checked*/, TDateTime /*date*/) {}

    virtual TDateTime now() { return nowDateTime(); }
    virtual TGraphicPtr loadPicture(const QString& path) { return LoadPictureFromFile(path); }
};

// Puts profile p into the picture the way picking it in the profile selector does,
// in the window's order: border, title, position with its colour, SID, usage lines,
// background picture (loaded when the file exists, none otherwise), centre and
// stretch, information lines, refresh line. The refresh line shows the profile's own
// source and comment. An error (a picture that fails to load, a refused list save)
// stops it where it occurs, with the earlier steps applied.
void ApplySystemInfoToPicture(tyPicture& picture, const tySystemInfo& p, TApplyProfileHost& host);

// The option lists held in memory, following the load rules of each list, without
// writing anything (tavelorn-export, tests).
class TProfileListsHost : public TApplyProfileHost
{
public:
    QStringList SystemTitles;
    tyArrLandscapeType LandscapeTypes;
    QStringList SIDs;            // as LoadSIDs leaves them: trimmed, no empty item, no duplicate
    QStringList RefreshComments; // as LoadRefreshComments leaves them: empty item first
    // The colour stored under "Color" "Item_" n, which a position added as number n takes.
    std::function<TColor(int number)> StoredColor;
    TDateTime Now = 0; // 0: the local clock

    // Copies the lists a loaded store holds.
    void assignFrom(const TConfigStore& store);

    QString selectSystemTitle(const QString& title) override;
    QString selectLandscapeType(const QString& position) override;
    TColor landscapeTypeColor(const QString& position) override;
    QString selectSID(const QString& sid) override;
    QString selectSourceSystem(const QString& source) override;
    QString selectRefreshComment(const QString& comment) override;
    TDateTime now() override;
};

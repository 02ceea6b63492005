#pragma once

#include "datetime.h"
#include "picture.h"
#include "profile.h"

namespace tavelorn {

class ProfileLists;

// The editing controls that mirror a profile being applied (the main window). Each call
// comes right after its step, so an error leaves the earlier steps shown. An index is a
// position in the matching list of ProfileLists::lists(), -1 for no selection.
class ProfileControls
{
public:
    virtual ~ProfileControls() = default;
    virtual void showBorder(int width) = 0;
    virtual void showSystemTitle(int index) = 0;
    virtual void showLandscapeType(int index) = 0;
    virtual void showSID(int index) = 0;
    virtual void showUsages(const QString& usage1, const QString& usage2) = 0;
    // The background picture's path: the profile's after a successful load, empty when
    // the profile names no existing file.
    virtual void showPicturePath(const QString& path) = 0;
    virtual void showPlacement(bool center, bool stretch) = 0;
    virtual void showInfos(const QString& info1, const QString& info2, const QString& info3) = 0;
    // The "Last refresh" box and the date picker; the refresh controls are enabled
    // exactly when checked.
    virtual void showRefresh(bool checked, SerialDate date) = 0;
    virtual void showSourceSystem(int index) = 0;
    // index -1: the list lacks the comment, which is shown as text without a list item.
    virtual void showRefreshComment(int index, const QString& text) = 0;
};

// Puts profile p into the picture as picking it in the profile selector does, in the
// window's order: border, title, position with its colour, SID, usage lines, background
// picture (loaded when the file exists, none otherwise), centre and stretch, information
// lines, refresh line with the profile's source and comment. Missing titles, positions,
// SIDs and sources are made present in lists. An error (a picture that fails to load, a
// refused list save) stops it where it occurs, with the earlier steps applied.
void applyProfileToPicture(PictureModel& picture, const Profile& p, ProfileLists& lists,
                              ProfileControls* controls = nullptr);

} // namespace tavelorn

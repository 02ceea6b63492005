#include "applyprofile.h"

#include "configstore.h"
#include "profilelists.h"

#include <algorithm>

namespace {

class NoControls : public TProfileControls
{
public:
    void showBorder(int) override {}
    void showSystemTitle(int) override {}
    void showLandscapeType(int) override {}
    void showSID(int) override {}
    void showUsages(const QString&, const QString&) override {}
    void showPicturePath(const QString&) override {}
    void showPlacement(bool, bool) override {}
    void showInfos(const QString&, const QString&, const QString&) override {}
    void showRefresh(bool, TDateTime) override {}
    void showSourceSystem(int) override {}
    void showRefreshComment(int, const QString&) override {}
};

QString itemText(const TItemList& list, int index)
{
    return index >= 0 ? list.Get(index) : QString();
}

} // namespace

void ApplySystemInfoToPicture(tyPicture& picture, const tySystemInfo& p, TProfileLists& lists,
                              TProfileControls* controls)
{
    NoControls none;
    TProfileControls& c = controls ? *controls : none;
    const TConfigStore& store = lists.lists();

    // The spinner holds 0..10 whatever the file says.
    const int border = std::clamp(p.BorderWidth, 0, 10);
    c.showBorder(border);
    SetBorderWidth(picture, border);

    const int title = lists.SystemTitle(p.SystemTitle);
    c.showSystemTitle(title);
    SetSystemTitle(picture, itemText(store.cbxSystemTitle, title));

    const int position = lists.LandscapeType(p.LansdscapePosition);
    c.showLandscapeType(position);
    const QString positionText = itemText(store.cbxLandscapeType, position);
    SetLandscapeType(picture, positionText, lists.LandscapeTypeColor(positionText));

    const int sid = lists.SID(p.SID);
    c.showSID(sid);
    SetSID(picture, itemText(store.cbxSID, sid));

    c.showUsages(p.Usage1, p.Usage2);
    SetUsage1(picture, p.Usage1);
    SetUsage2(picture, p.Usage2);

    if (PictureFileExists(p.PictureFullPath)) {
        TGraphicPtr graphic = LoadPictureFromFile(p.PictureFullPath);
        SetBackgroundPicture(picture, std::move(graphic));
        c.showPicturePath(p.PictureFullPath);
    } else {
        SetBackgroundPicture(picture, nullptr);
        c.showPicturePath(QString());
    }

    c.showPlacement(p.PictureCenter, p.PictureStretch);
    SetPictureCenter(picture, p.PictureCenter);
    SetPictureStretch(picture, p.PictureStretch);

    c.showInfos(p.Info1, p.Info2, p.Info3);
    SetInfo1(picture, p.Info1);
    SetInfo2(picture, p.Info2);
    SetInfo3(picture, p.Info3);

    // The refresh line is shown exactly when the check box is checked, so its visibility
    // is the box's former state; the box's handler runs only on a change.
    const bool checked = p.LastRefresh > 0;
    const TDateTime date = checked ? p.LastRefresh : nowDateTime();
    const bool wasChecked = picture.lblRefresh.Visible;
    c.showRefresh(checked, date);
    if (checked != wasChecked)
        ShowRefreshLine(picture, checked, date, checked ? p.SourceRefresh : QString());
    if (!checked) {
        c.showSourceSystem(-1);
        return;
    }
    const int source = lists.SourceSystem(p.SourceRefresh);
    c.showSourceSystem(source);
    const int comment = lists.RefreshComment(p.CommentRefresh);
    const QString commentText =
        comment >= 0 ? store.cbxRefreshComment.Get(comment) : p.CommentRefresh;
    c.showRefreshComment(comment, commentText);
    SetRefreshLine(picture, p.LastRefresh, itemText(store.cbxSourceSystem, source), commentText);
}

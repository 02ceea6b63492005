#include "applyprofile.h"

#include "configstore.h"
#include "profilelists.h"

#include <algorithm>

namespace tavelorn {

namespace {

class NoControls : public ProfileControls
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
    void showRefresh(bool, SerialDate) override {}
    void showSourceSystem(int) override {}
    void showRefreshComment(int, const QString&) override {}
};

QString itemText(const ItemList& list, int index)
{
    return index >= 0 ? list.at(index) : QString();
}

} // namespace

void applyProfileToPicture(PictureModel& picture, const Profile& p, ProfileLists& lists,
                              ProfileControls* controls)
{
    NoControls none;
    ProfileControls& c = controls ? *controls : none;
    const ConfigStore& store = lists.lists();

    // The spinner holds 0..10 whatever the file says.
    const int border = std::clamp(p.borderWidth, 0, 10);
    c.showBorder(border);
    setBorderWidth(picture, border);

    const int title = lists.systemTitleIndex(p.systemTitle);
    c.showSystemTitle(title);
    setSystemTitle(picture, itemText(store.systemTitles(), title));

    const int position = lists.landscapeTypeIndex(p.landscapePosition);
    c.showLandscapeType(position);
    const QString positionText = itemText(store.landscapeTypeNames(), position);
    setLandscapeType(picture, positionText, lists.landscapeTypeColor(positionText));

    const int sid = lists.sidIndex(p.sid);
    c.showSID(sid);
    setSid(picture, itemText(store.sids(), sid));

    c.showUsages(p.usage1, p.usage2);
    setUsage1(picture, p.usage1);
    setUsage2(picture, p.usage2);

    if (pictureFileExists(p.picturePath)) {
        GraphicPtr graphic = loadPictureFromFile(p.picturePath);
        setBackgroundPicture(picture, std::move(graphic));
        c.showPicturePath(p.picturePath);
    } else {
        setBackgroundPicture(picture, nullptr);
        c.showPicturePath(QString());
    }

    c.showPlacement(p.pictureCenter, p.pictureStretch);
    setPictureCenter(picture, p.pictureCenter);
    setPictureStretch(picture, p.pictureStretch);

    c.showInfos(p.info1, p.info2, p.info3);
    setInfo1(picture, p.info1);
    setInfo2(picture, p.info2);
    setInfo3(picture, p.info3);

    // The refresh line is shown exactly when the check box is checked, so its visibility
    // is the box's former state; the box's handler runs only on a change.
    const bool checked = p.lastRefresh > 0;
    const SerialDate date = checked ? p.lastRefresh : nowDateTime();
    const bool wasChecked = picture.refresh.visible;
    c.showRefresh(checked, date);
    if (checked != wasChecked)
        showRefreshLine(picture, checked, date, checked ? p.refreshSource : QString());
    if (!checked) {
        c.showSourceSystem(-1);
        return;
    }
    const int source = lists.sourceSystemIndex(p.refreshSource);
    c.showSourceSystem(source);
    const int comment = lists.refreshCommentIndex(p.refreshComment);
    const QString commentText =
        comment >= 0 ? store.refreshComments().at(comment) : p.refreshComment;
    c.showRefreshComment(comment, commentText);
    setRefreshLine(picture, p.lastRefresh, itemText(store.sourceSystems(), source), commentText);
}

} // namespace tavelorn

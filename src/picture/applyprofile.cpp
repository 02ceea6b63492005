#include "applyprofile.h"

#include "configstore.h"
#include "itemlist.h"
#include "text.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// Finds as the window's lists do: whole text, letter case ignored.
qsizetype findItem(const QStringList& items, const QString& text)
{
    const QString key = TItemList::FoldKey(text);
    for (qsizetype i = 0; i < items.size(); ++i)
        if (TItemList::FoldKey(items.at(i)) == key)
            return i;
    return -1;
}

// What loading the SID list makes of its items: trimmed, no empty item, no duplicate.
QStringList cleanedSids(const QStringList& items)
{
    QStringList out;
    for (const QString& item : items) {
        const QString t = trimText(item);
        if (!t.isEmpty() && findItem(out, t) < 0)
            out.append(t);
    }
    std::stable_sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
        return TItemList::Compare(a, b) < 0;
    });
    return out;
}

// What loading the refresh comments makes of them: an empty item, then the items
// trimmed, no empty item, no duplicate.
QStringList cleanedComments(const QStringList& items)
{
    QStringList out;
    for (const QString& item : items) {
        const QString t = trimText(item);
        if (!t.isEmpty() && findItem(out, t) < 0)
            out.append(t);
    }
    out.prepend(QString());
    return out;
}

} // namespace

void ApplySystemInfoToPicture(tyPicture& picture, const tySystemInfo& p, TApplyProfileHost& host)
{
    // The spinner holds 0..10 whatever the file says.
    const int border = std::clamp(p.BorderWidth, 0, 10);
    host.setBorder(border);
    ledtBorderChange(picture, border);

    cbxSystemTitleChange(picture, host.selectSystemTitle(p.SystemTitle));

    const QString position = host.selectLandscapeType(p.LansdscapePosition);
    cbxLandscapeTypeChange(picture, position, host.landscapeTypeColor(position));

    cbxSIDChange(picture, host.selectSID(p.SID));

    host.setUsages(p.Usage1, p.Usage2);
    ledtUsage1Change(picture, p.Usage1);
    ledtUsage2Change(picture, p.Usage2);

    if (PictureFileExists(p.PictureFullPath)) {
        TGraphicPtr graphic = host.loadPicture(p.PictureFullPath);
        SetBackgroundPicture(picture, std::move(graphic));
        host.setPicturePath(p.PictureFullPath);
    } else {
        SetBackgroundPicture(picture, nullptr);
        host.setPicturePath(QString());
    }

    host.setPlacement(p.PictureCenter, p.PictureStretch);
    chkCenterClick(picture, p.PictureCenter);
    chkStretchClick(picture, p.PictureStretch);

    host.setInfos(p.Info1, p.Info2, p.Info3);
    ledtInfo1Change(picture, p.Info1);
    ledtInfo2Change(picture, p.Info2);
    ledtInfo3Change(picture, p.Info3);

    // The refresh line is shown exactly when the check box is checked, so its
    // visibility is the box's former state; the click handler runs only on a change.
    const bool checked = p.LastRefresh > 0;
    const TDateTime date = checked ? p.LastRefresh : host.now();
    const bool wasChecked = picture.lblRefresh.Visible;
    host.setRefresh(checked, date);
    if (checked != wasChecked)
        chkRefreshDateClick(picture, checked, date, checked ? p.SourceRefresh : QString());
    if (checked) {
        const QString source = host.selectSourceSystem(p.SourceRefresh);
        const QString comment = host.selectRefreshComment(p.CommentRefresh);
        RefreshDateChange(picture, p.LastRefresh, source, comment);
    } else {
        host.clearSourceSystem();
    }
}

QString TProfileListsHost::selectSystemTitle(const QString& title)
{
    if (findItem(SystemTitles, title) < 0)
        SystemTitles.append(title);
    return SystemTitles.at(findItem(SystemTitles, title));
}

QString TProfileListsHost::selectLandscapeType(const QString& position)
{
    QStringList names;
    for (const tyLandscapeType& t : LandscapeTypes)
        names.append(t.Description);
    qsizetype i = findItem(names, position);
    if (i < 0) {
        // Saving the names and reloading gives the new position the colour stored
        // under its number.
        const int number = int(LandscapeTypes.size()) + 1;
        LandscapeTypes.append({position, StoredColor ? StoredColor(number) : clBlack});
        i = LandscapeTypes.size() - 1;
    }
    return LandscapeTypes.at(i).Description;
}

TColor TProfileListsHost::landscapeTypeColor(const QString& position)
{
    return GetLandscapeTypeColor(LandscapeTypes, position);
}

QString TProfileListsHost::selectSID(const QString& sid)
{
    if (findItem(SIDs, sid) < 0) {
        SIDs.append(sid);
        SIDs = cleanedSids(SIDs);
    }
    const qsizetype i = findItem(SIDs, sid);
    return i < 0 ? QString() : SIDs.at(i);
}

QString TProfileListsHost::selectSourceSystem(const QString& source)
{
    // The source list is an empty item followed by the SIDs.
    if (source.isEmpty())
        return QString();
    return selectSID(source);
}

QString TProfileListsHost::selectRefreshComment(const QString& comment)
{
    if (RefreshComments.isEmpty() || !RefreshComments.first().isEmpty())
        RefreshComments = cleanedComments(RefreshComments);
    if (findItem(RefreshComments, comment) < 0) {
        RefreshComments.append(comment);
        RefreshComments = cleanedComments(RefreshComments);
    }
    const qsizetype i = findItem(RefreshComments, comment);
    return i < 0 ? QString() : RefreshComments.at(i);
}

void TProfileListsHost::assignFrom(const TConfigStore& store)
{
    SystemTitles = store.cbxSystemTitle.Items();
    LandscapeTypes = store.FArrLandscapeType;
    SIDs = store.cbxSID.Items();
    RefreshComments = store.cbxRefreshComment.Items();
}

TDateTime TProfileListsHost::now()
{
    return Now > 0 ? Now : nowDateTime();
}

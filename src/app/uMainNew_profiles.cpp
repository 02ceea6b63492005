// Picking, applying, saving and deleting profiles.
#include "uMainNew.h"
#include "ui_uMainNew.h"
#include "windowplacement.h"

#include "apptitle.h"
#include "itemlistmodel.h"
#include "profilelists.h"
#include "profilemerge.h"

#include <QMessageBox>

#include <cmath>

using namespace tavelorn;

void TfrmMainNew::cbxIDChange()
{
    guarded([this] {
        const bool selected = ui->cbxID->currentIndex() >= 0;
        ui->bbtID_Delete->setEnabled(selected);
        if (!selected)
            return;
        const qint32 i = m_store.findProfile(comboText(ui->cbxID));
        if (i == -1)
            return;
        m_store.setCurrentProfileIndex(i);
        ApplySystemInfo();
    });
}

void TfrmMainNew::ApplySystemInfo()
{
    const Profile p = m_store.profiles().at(m_store.currentProfileIndex());
    m_appliedProfile = p;
    pictureChanged();
    ProfileLists lists(m_store);
    applyProfileToPicture(m_picture, p, lists, this);
    // The date picker keeps its own time of day: the refresh date as shown is no edit.
    m_appliedProfile->lastRefresh = editedProfile().lastRefresh;
}

Profile TfrmMainNew::editedProfile() const
{
    Profile v;
    v.borderWidth = ui->udBorder->position();
    v.systemTitle = comboText(ui->cbxSystemTitle);
    v.landscapePosition = comboText(ui->cbxLandscapeType);
    v.sid = comboText(ui->cbxSID);
    v.usage1 = ui->ledtUsage1->text();
    v.usage2 = ui->ledtUsage2->text();
    v.picturePath = m_picturePath;
    v.pictureCenter = ui->chkCenter->isChecked();
    v.pictureStretch = ui->chkStretch->isChecked();
    v.info1 = ui->ledtInfo1->text();
    v.info2 = ui->ledtInfo2->text();
    v.info3 = ui->ledtInfo3->text();
    if (ui->chkRefreshDate->isChecked()) {
        v.lastRefresh = refreshDate();
        v.refreshSource = comboText(ui->cbxSourceSystem);
        v.refreshComment = comboText(ui->cbxRefreshComment);
    }
    return v;
}

void TfrmMainNew::bbtID_SaveClick()
{
    guarded([this] {
        const QString sid = comboText(ui->cbxSID);
        if (sid.isEmpty())
            return;
        const bool refresh = ui->chkRefreshDate->isChecked();
        const SerialDate date = refresh ? refreshDate() : nowDateTime();
        const QString id = ConfigStore::makeProfileId(comboText(ui->cbxSystemTitle), sid, date);
        const Profile v = editedProfile();
        // The profile picked here gets only the fields changed since it was applied, onto
        // the profile as the file holds it now; another identifier is saved whole.
        if (m_appliedProfile)
            m_store.storeProfile(id, v, *m_appliedProfile);
        else
            m_store.storeProfile(id, v);
        const qint32 i = m_store.findProfile(id);
        if (i >= 0) {
            const Profile saved = m_store.profiles().at(i);
            Profile shown = saved;
            // The date as written and read back may lose a fraction of a second.
            if (std::abs(saved.lastRefresh - v.lastRefresh) < 1.0 / 86400)
                shown.lastRefresh = v.lastRefresh;
            m_appliedProfile = shown;
            if (profileEdited(v, shown)) {
                // Others changed fields meanwhile: the window shows the merged profile.
                m_store.setCurrentProfileIndex(i);
                HandlerGuard::nested([this] { ApplySystemInfo(); });
            }
        }
        // Selecting the saved profile runs no handler: the controls keep their values.
        const int saved = m_store.profileIds().indexOf(id);
        selectIndex(ui->cbxID, saved);
        ui->bbtID_Delete->setEnabled(saved >= 0);
    });
}

void TfrmMainNew::bbtID_DeleteClick()
{
    guarded([this] {
        // With nothing selected there is nothing to delete, even when a profile with an
        // empty identifier exists.
        if (ui->cbxID->currentIndex() < 0)
            return;
        const QString id = comboText(ui->cbxID);
        const qint32 i = m_store.findProfile(id);
        if (i == -1)
            return;
        m_store.setCurrentProfileIndex(i);
        if (askYesNo(this, QMessageBox::Question, appTitle(),
                     QStringLiteral("Delete \"%1\" ?").arg(id))) {
            m_store.deleteProfile(i);
            // A Save of what the controls still show puts it back whole.
            if (m_appliedProfile && m_appliedProfile->id == id)
                m_appliedProfile.reset();
        }
    });
}

// Applying a profile: the profile module drives the steps and these mirror each value
// into the controls without running their handlers a second time.

void TfrmMainNew::showBorder(int width)
{
    const QSignalBlocker block(ui->ledtBorder);
    ui->udBorder->setPosition(width);
}

void TfrmMainNew::showSystemTitle(int index)
{
    selectIndex(ui->cbxSystemTitle, index);
}

void TfrmMainNew::showLandscapeType(int index)
{
    selectIndex(ui->cbxLandscapeType, index);
}

void TfrmMainNew::showSID(int index)
{
    selectIndex(ui->cbxSID, index);
}

void TfrmMainNew::showUsages(const QString& usage1, const QString& usage2)
{
    const QSignalBlocker block1(ui->ledtUsage1);
    const QSignalBlocker block2(ui->ledtUsage2);
    ui->ledtUsage1->setText(usage1);
    ui->ledtUsage2->setText(usage2);
}

void TfrmMainNew::showPicturePath(const QString& path)
{
    m_picturePath = path;
}

void TfrmMainNew::showPlacement(bool center, bool stretch)
{
    const QSignalBlocker block1(ui->chkCenter);
    const QSignalBlocker block2(ui->chkStretch);
    ui->chkCenter->setChecked(center);
    ui->chkStretch->setChecked(stretch);
}

void TfrmMainNew::showInfos(const QString& info1, const QString& info2, const QString& info3)
{
    const QSignalBlocker block1(ui->ledtInfo1);
    const QSignalBlocker block2(ui->ledtInfo2);
    const QSignalBlocker block3(ui->ledtInfo3);
    ui->ledtInfo1->setText(info1);
    ui->ledtInfo2->setText(info2);
    ui->ledtInfo3->setText(info3);
}

void TfrmMainNew::showRefresh(bool checked, SerialDate date)
{
    {
        const QSignalBlocker block(ui->chkRefreshDate);
        ui->chkRefreshDate->setChecked(checked);
    }
    ui->dtRefreshDate->setEnabled(checked);
    ui->cbxSourceSystem->setEnabled(checked);
    ui->cbxRefreshComment->setEnabled(checked);
    if (checked) {
        // The picker keeps its time of day; only the date comes from the profile.
        const double time = m_refreshTime;
        setRefreshDate(std::floor(date));
        m_refreshTime = time;
    } else {
        setRefreshDate(date);
    }
}

void TfrmMainNew::showSourceSystem(int index)
{
    selectIndex(ui->cbxSourceSystem, index);
}

void TfrmMainNew::showRefreshComment(int index, const QString& text)
{
    // A comment the list lacks is shown as an extra row that is not part of the list.
    m_refreshCommentModel->setExtraItem(index < 0 ? text : QString());
    selectIndex(ui->cbxRefreshComment, index < 0 ? m_refreshCommentModel->extraRow() : index);
}

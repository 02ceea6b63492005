// The handlers that change the picture, the information line menu and the export.
#include "uMainNew.h"
#include "ui_uMainNew.h"

#include "apperror.h"
#include "fontdialog.h"
#include "graphic.h"
#include "itemlistmodel.h"
#include "jpegexport.h"
#include "windowplacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

using namespace tavelorn;

void TfrmMainNew::connectPictureControls()
{
    // Each control that sets one value of the picture, the list behind a drop-down (a
    // reload that drops the shown item empties the control, and the picture follows) and
    // how the control's value reaches the picture.
    const struct
    {
        QWidget* control;
        ItemListModel* list;
        std::function<void(PictureModel&)> set;
    } controls[] = {
        {ui->cbxSystemTitle, m_systemTitleModel.get(),
         [this](PictureModel& p) { setSystemTitle(p, comboText(ui->cbxSystemTitle)); }},
        {ui->cbxSID, m_sidModel.get(),
         [this](PictureModel& p) { setSid(p, comboText(ui->cbxSID)); }},
        {ui->ledtUsage1, nullptr,
         [this](PictureModel& p) { setUsage1(p, ui->ledtUsage1->text()); }},
        {ui->ledtUsage2, nullptr,
         [this](PictureModel& p) { setUsage2(p, ui->ledtUsage2->text()); }},
        {ui->ledtInfo1, nullptr, [this](PictureModel& p) { setInfo1(p, ui->ledtInfo1->text()); }},
        {ui->ledtInfo2, nullptr, [this](PictureModel& p) { setInfo2(p, ui->ledtInfo2->text()); }},
        {ui->ledtInfo3, nullptr, [this](PictureModel& p) { setInfo3(p, ui->ledtInfo3->text()); }},
        {ui->ledtBorder, nullptr,
         [this](PictureModel& p) { setBorderWidth(p, ui->udBorder->position()); }},
        {ui->chkCenter, nullptr,
         [this](PictureModel& p) { setPictureCenter(p, ui->chkCenter->isChecked()); }},
        {ui->chkStretch, nullptr,
         [this](PictureModel& p) { setPictureStretch(p, ui->chkStretch->isChecked()); }},
    };
    for (const auto& entry : controls) {
        // The handler outlives this table: it holds its own copy of the setter.
        const auto handler = [this, set = entry.set] {
            guarded([this, &set] {
                set(m_picture);
                pictureChanged();
            });
        };
        if (auto* combo = qobject_cast<QComboBox*>(entry.control))
            connect(combo, &QComboBox::activated, this, handler);
        else if (auto* edit = qobject_cast<QLineEdit*>(entry.control))
            connect(edit, &QLineEdit::textChanged, this, handler);
        else if (auto* box = qobject_cast<QCheckBox*>(entry.control))
            connect(box, &QCheckBox::toggled, this, handler);
        if (entry.list) {
            connect(entry.list, &ItemListModel::selectionLost, this, handler);
            connect(entry.list, &ItemListModel::selectionReplaced, this, handler);
        }
    }
}

// Not in the table: the shown position's colour comes from the store, and the colour
// dialog runs this again after the colours changed.
void TfrmMainNew::cbxLandscapeTypeChange()
{
    guarded([this] {
        const QString position = comboText(ui->cbxLandscapeType);
        setLandscapeType(m_picture, position, m_store.landscapeTypeColor(position));
        pictureChanged();
    });
}

void TfrmMainNew::chkRefreshDateClick()
{
    guarded([this] {
        const bool checked = ui->chkRefreshDate->isChecked();
        ui->dtRefreshDate->setEnabled(checked);
        ui->cbxSourceSystem->setEnabled(checked);
        ui->cbxRefreshComment->setEnabled(checked);
        showRefreshLine(m_picture, checked, refreshDate(), comboText(ui->cbxSourceSystem));
        pictureChanged();
    });
}

void TfrmMainNew::RefreshDateChange()
{
    guarded([this] {
        setRefreshLine(m_picture, refreshDate(), comboText(ui->cbxSourceSystem),
                       comboText(ui->cbxRefreshComment));
        pictureChanged();
    });
}

void TfrmMainNew::bbtPictureClick()
{
    guarded([this] {
        QFileDialog dialog(this, tr("Open picture"));
        dialog.setObjectName(QStringLiteral("OpenPictureDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        const QStringList filters = pictureDialogNameFilters();
        dialog.setNameFilters(filters);
        if (!filters.isEmpty())
            dialog.selectNameFilter(filters.first());
        centreOnParent(&dialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        // The path is taken before the load: a failed load keeps the previous picture
        // while m_picturePath already names the new file.
        m_picturePath = dialog.selectedFiles().first();
        GraphicPtr graphic = loadPictureFromFile(m_picturePath);
        setBackgroundPicture(m_picture, std::move(graphic));
        pictureChanged();
    });
}

void TfrmMainNew::bbtImportantInfoClick()
{
    auto* button = qobject_cast<QWidget*>(sender());
    guarded([this, button] {
        m_info = button ? button->property("tag").toInt() : 0;
        const PictureText* line = infoLineElement(m_picture, m_info);
        if (!line)
            return;
        switch (line->alignment) {
        case Alignment::Left:
            mnuLeft->setChecked(true);
            break;
        case Alignment::Center:
            mnuCenter->setChecked(true);
            break;
        case Alignment::Right:
            mnuRight->setChecked(true);
            break;
        }
        if (!FontDialog) {
            FontDialog = new PictureFontDialog(this);
            FontDialog->setObjectName(QStringLiteral("FontDialog"));
            centreOnParent(FontDialog);
        }
        FontDialog->setPictureFont(line->font);
        // Directly under the button, its left edge on the button's left edge.
        const QPoint topLeft = mapToGlobal(button->mapTo(this, QPoint(0, 0)));
        pmImportantInformation->popup(QPoint(topLeft.x(), topLeft.y() + button->height()));
    });
}

void TfrmMainNew::mnuFontClick()
{
    guarded([this] {
        if (!infoLineElement(m_picture, m_info) || !FontDialog)
            return;
        if (FontDialog->exec() != QDialog::Accepted)
            return;
        setInfoLineFont(m_picture, m_info, FontDialog->pictureFont());
        pictureChanged();
    });
}

void TfrmMainNew::mnuAlignClick()
{
    auto* item = qobject_cast<QAction*>(sender());
    guarded([this, item] {
        if (item)
            item->setChecked(true);
        if (!infoLineElement(m_picture, m_info))
            return;
        const Alignment alignment = mnuLeft->isChecked()     ? Alignment::Left
                                    : mnuCenter->isChecked() ? Alignment::Center
                                                             : Alignment::Right;
        setInfoLineAlignment(m_picture, m_info, alignment);
        pictureChanged();
    });
}

void TfrmMainNew::BitBtn2Click()
{
    guarded([this] {
        const QString sid = comboText(ui->cbxSID);
        if (sid.isEmpty())
            return;
        const SerialDate date = ui->chkRefreshDate->isChecked() ? refreshDate() : nowDateTime();
        QFileDialog dialog(this, tr("Save picture"));
        dialog.setObjectName(QStringLiteral("SavePictureDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QStringList filters = pictureDialogNameFilters();
        dialog.setNameFilters(filters);
        if (!filters.isEmpty())
            dialog.selectNameFilter(filters.first());
        dialog.selectFile(defaultPictureFileName(sid, date));
        centreOnParent(&dialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        // The name the user confirmed is replaced without a question; the one the forced
        // extension makes of it was never shown, so its file is replaced only on Yes.
        const QString confirmed = dialog.selectedFiles().first();
        const QString path = forceJpgExtension(confirmed);
        if (const QFileInfo forced(path); path != confirmed && forced.exists() && !forced.isDir()) {
            if (!askYesNo(
                    this, QMessageBox::Warning, dialog.windowTitle(),
                    tr("%1 already exists.\nDo you want to replace it?").arg(forced.fileName())))
                return;
        }
        exportPictureToFile(m_picture, path);
    });
}

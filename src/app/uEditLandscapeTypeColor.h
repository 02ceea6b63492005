#pragma once

#include "handlerguard.h"
#include "systeminfo.h"

#include <QDialog>

#include <memory>

class QColorDialog;
class QPushButton;

namespace Ui {
class TfrmEditLandscapeTypeColor;
}

// Modal dialog that gives each landscape position its colour: the positions on the
// left, a colour picker and a preview of the position and the word SID in that colour
// on the right. It works on its own copy; EditLandscapeTypeColors hands it back on OK.
class TfrmEditLandscapeTypeColor : public QDialog
{
    Q_OBJECT

public:
    // Modal results: OK gives kResultOk, Cancel, Escape and the close box give kResultCancel.
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    explicit TfrmEditLandscapeTypeColor(QWidget* parent = nullptr);
    ~TfrmEditLandscapeTypeColor() override;

    // Takes a copy of the positions and lists their names, none selected; the preview
    // shows "WWWW" and "SID" in the window-text colour and the picker has no colour.
    void setLandscapeTypes(const tavelorn::LandscapeTypeList& types);
    const tavelorn::LandscapeTypeList& landscapeTypes() const { return m_landscapeTypes; }

    // The selected position, -1 when none.
    int selectedIndex() const;

    // The standard colour dialog the preview words open; null until first opened.
    QColorDialog* colorDialog() const { return m_colorDialog; }

public slots:
    void accept() override;
    // Also reached through Escape and the close box.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void ListBoxClick();
    void ColorPickerDropDownSelect();
    void lblLandscapeTypeClick();
    void ColorPickerDropDownDropDownFooterButtonClick(int ButtonIndex);

private:
    // The form's buttons by what they are.
    QPushButton* okButton() const;     // BitBtn2
    QPushButton* cancelButton() const; // BitBtn1
    void setupPicker();
    // Accessible names of the controls, for screen readers.
    void nameControls();
    void setPreviewCaption(const QString& caption);
    void setPreviewColor(tavelorn::Color color);

    std::unique_ptr<Ui::TfrmEditLandscapeTypeColor> ui;
    tavelorn::LandscapeTypeList m_landscapeTypes;
    tavelorn::Color m_previewColor = 0;
    int m_lastSelected = -1;
    QColorDialog* m_colorDialog = nullptr;
    bool m_focusPlaced = false;
    tavelorn::HandlerGuard m_guard{this};
};

// Shows the dialog on a copy of types; replaces types by the edited copy only when the
// user leaves with OK.
void EditLandscapeTypeColors(tavelorn::LandscapeTypeList& types, QWidget* parent = nullptr);

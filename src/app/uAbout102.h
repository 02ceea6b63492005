#pragma once

#include "updateinfo.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;

namespace Ui {
class TfrmAbout102;
}

// The About dialog: program, version, the maker's news and new-version notice, the
// system it runs on, and links to the maker's site. It fills itself when created, from
// the update information that the About command downloaded beforehand (twice, each
// download bounded in time) in the background.
class TfrmAbout102 : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmAbout102(const tavelorn::UpdateInfoDownloads& updateInfo,
                          QWidget* parent = nullptr);
    ~TfrmAbout102() override;

public slots:
    // Close (the form's BitBtn1).
    void BitBtn1Click();
    // Opens the address of the link whose control sent the click, by its tag.
    void WebLinkClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate(const tavelorn::UpdateInfoDownloads& updateInfo);
    // The operating-system line, its distribution name shortened when it would not fit.
    void setSystemDescription();
    // Sizes the labels to their texts, right-aligned ones keeping their right edge.
    void placeLabels();

    // Controls whose form names say nothing, by what they are.
    QLabel* backgroundPicture() const; // Image1
    QLabel* systemLine() const;        // lblWindowsVersion: the Linux distribution and kernel
    QPushButton* closeButton() const;  // BitBtn1

    std::unique_ptr<Ui::TfrmAbout102> ui;
};

// Creates the About dialog over parent from the downloaded update information, shows it
// modally and destroys it.
void ShowAboutDialog(QWidget* parent, const tavelorn::UpdateInfoDownloads& updateInfo);

// The compiler that built the program, with its version.
QString GetToolchainVersion();

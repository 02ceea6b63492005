#pragma once

// The controls of the program's windows that the tests drive, found by their object names
// in the forms, as the windows build them; the generated form classes stay the windows'
// own.

#include "clicklabel.h"
#include "colorpickerdropdown.h"
#include "datepicker.h"
#include "dropdownlist.h"
#include "labelededit.h"
#include "previewpanel.h"
#include "updown.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

// The one control of type T named name in window. A name that is missing or taken twice is
// a broken test, not a result: it ends the test program with the name.
template <class T> T* formControl(const QWidget* window, const char* name)
{
    const QList<T*> found = window->findChildren<T*>(QLatin1String(name));
    if (found.size() != 1) {
        std::fprintf(stderr, "%s has %d controls of type %s named %s\n",
                     window->metaObject()->className(), int(found.size()),
                     T::staticMetaObject.className(), name);
        std::abort();
    }
    return found.front();
}

#define TAVELORN_CONTROL(Type, name) Type* const name = formControl<Type>(window, #name)

struct MainWindowControls
{
    explicit MainWindowControls(const QWidget* w) : window(w) {}
    const QWidget* window;
    TAVELORN_CONTROL(tavelorn::DropDownList, cbxID);
    TAVELORN_CONTROL(tavelorn::DropDownList, cbxSystemTitle);
    TAVELORN_CONTROL(tavelorn::DropDownList, cbxLandscapeType);
    TAVELORN_CONTROL(tavelorn::DropDownList, cbxSID);
    TAVELORN_CONTROL(tavelorn::DropDownList, cbxSourceSystem);
    TAVELORN_CONTROL(tavelorn::DropDownList, cbxRefreshComment);
    TAVELORN_CONTROL(QLabel, lblSystemTitle_);
    TAVELORN_CONTROL(QPushButton, bbtSystemTitle);
    TAVELORN_CONTROL(QPushButton, bbtLandscapeType);
    TAVELORN_CONTROL(QPushButton, bbtColors);
    TAVELORN_CONTROL(QPushButton, bbtSID);
    TAVELORN_CONTROL(QPushButton, bbtPicture);
    TAVELORN_CONTROL(QPushButton, bbtImportantInfo1);
    TAVELORN_CONTROL(QPushButton, bbtImportantInfo2);
    TAVELORN_CONTROL(QPushButton, bbtImportantInfo3);
    TAVELORN_CONTROL(QPushButton, bbtRefreshComment);
    TAVELORN_CONTROL(QPushButton, bbtAbout);
    TAVELORN_CONTROL(QPushButton, bbtID_Save);
    TAVELORN_CONTROL(QPushButton, bbtID_Delete);
    TAVELORN_CONTROL(QPushButton, BitBtn2); // Save picture
    TAVELORN_CONTROL(QPushButton, bbtExit);
    TAVELORN_CONTROL(tavelorn::LabeledEdit, ledtUsage1);
    TAVELORN_CONTROL(tavelorn::LabeledEdit, ledtUsage2);
    TAVELORN_CONTROL(tavelorn::LabeledEdit, ledtInfo1);
    TAVELORN_CONTROL(tavelorn::LabeledEdit, ledtInfo2);
    TAVELORN_CONTROL(tavelorn::LabeledEdit, ledtInfo3);
    TAVELORN_CONTROL(tavelorn::LabeledEdit, ledtBorder);
    TAVELORN_CONTROL(tavelorn::UpDown, udBorder);
    TAVELORN_CONTROL(QCheckBox, chkCenter);
    TAVELORN_CONTROL(QCheckBox, chkStretch);
    TAVELORN_CONTROL(QCheckBox, chkRefreshDate);
    TAVELORN_CONTROL(tavelorn::DatePicker, dtRefreshDate);
    TAVELORN_CONTROL(tavelorn::PreviewPanel, pnlPreview);
};

struct AboutControls
{
    explicit AboutControls(const QWidget* w) : window(w) {}
    const QWidget* window;
    TAVELORN_CONTROL(QLabel, Image1); // the background artwork
    TAVELORN_CONTROL(QLabel, lblApplicationTitle);
    TAVELORN_CONTROL(QLabel, lblVersion);
    TAVELORN_CONTROL(QLabel, lblVersionHistory);
    TAVELORN_CONTROL(QPlainTextEdit, memNews);
    TAVELORN_CONTROL(QLabel, lblNewVersion);
    TAVELORN_CONTROL(QLabel, imgBug);
    TAVELORN_CONTROL(QLabel, lblWindowsVersion); // the Linux distribution
    TAVELORN_CONTROL(QLabel, lblCompilerVersion);
    TAVELORN_CONTROL(tavelorn::ClickLabel, lblWebSite);
    TAVELORN_CONTROL(tavelorn::ClickLabel, imgDonate);
    TAVELORN_CONTROL(QPushButton, bbtEula);
    TAVELORN_CONTROL(QPushButton, BitBtn1); // Close
};

struct LandscapeColorsControls
{
    explicit LandscapeColorsControls(const QWidget* w) : window(w) {}
    const QWidget* window;
    TAVELORN_CONTROL(QListWidget, ListBox);
    TAVELORN_CONTROL(tavelorn::ColorPickerDropDown, ColorPickerDropDown);
    TAVELORN_CONTROL(QFrame, Shape); // the preview's white ground
    TAVELORN_CONTROL(tavelorn::ClickLabel, lblLandscapeType);
    TAVELORN_CONTROL(tavelorn::ClickLabel, lblSID);
    TAVELORN_CONTROL(QPushButton, BitBtn2); // OK
    TAVELORN_CONTROL(QPushButton, BitBtn1); // Cancel
};

#undef TAVELORN_CONTROL

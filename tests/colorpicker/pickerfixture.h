#pragma once

#include "colorpickerdropdown.h"

#include <QTest>

#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

// The picker as the landscape colour dialog sets it up: the 16 named colours, a light
// blue drop-down without frame colour, 206 wide, and the footer with four buttons.
inline void configureLikeColourDialog(tavelorn::ColorPickerDropDown& picker)
{
    using namespace tavelorn;
    picker.addDefaultColors();
    picker.setDropDownColor(colorFromHex(0xDAE5F3));
    picker.setDropDownBorderColor(kColorNone);
    picker.setDropDownBorderWidth(1);
    picker.setDropDownWidth(206);
    FooterAppearance footer;
    footer.visible = true;
    for (const char* caption : {"Spect", "Cube", "Disc", "List"}) {
        FooterButton button;
        button.caption = QString::fromLatin1(caption);
        footer.buttons.append(button);
    }
    picker.setDropDownFooter(footer);
}

// A small window holding one picker 245 x 21 at (10, 10).
struct PickerHost
{
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    tavelorn::ColorPickerDropDown* picker = new tavelorn::ColorPickerDropDown(window.get());

    explicit PickerHost(bool likeDialog = true)
    {
        window->resize(300, 120);
        window->move(100, 100);
        picker->setGeometry(10, 10, 245, 21);
        if (likeDialog)
            configureLikeColourDialog(*picker);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        picker->setFocus();
    }
};

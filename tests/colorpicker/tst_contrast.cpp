// The picker's texts stay readable under a light and a dark desktop palette: each is
// measured on the rendered pixels against what lies behind it (WCAG AA, 4.5:1).
#include "dropdownform.h"
#include "itemselector.h"
#include "pickerfixture.h"
#include "textcontrast.h"

#include <QApplication>
#include <QStyle>

#include <gtest/gtest.h>
using namespace tavelorn;

namespace {

QImage rendered(QWidget* w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class PickerContrast : public ::testing::TestWithParam<DesktopScheme>
{
protected:
    void SetUp() override
    {
        saved = QApplication::palette();
        QApplication::setPalette(GetParam().make(QApplication::style()->standardPalette()));
    }
    void TearDown() override { QApplication::setPalette(saved); }

    QPalette saved;
};

void expectReadable(const TextContrast& c, const QString& what)
{
    ASSERT_GT(c.glyphPixels, 0) << what.toStdString() << ": no text painted";
    EXPECT_GE(c.ratio, kMinTextContrast)
        << what.toStdString() << ": text #" << std::hex << (c.text & 0xFFFFFF) << std::dec
        << " contrast " << c.ratio;
}

} // namespace

TEST_P(PickerContrast, OpenListEntriesPlainHotAndSelected)
{
    PickerHost host;
    host.picker->setSelectedColor(colorFromHex(0x008000)); // "Green", index 2
    host.picker->showDropDown();
    ASSERT_TRUE(host.picker->droppedDown());
    CustomItemSelector* list = host.picker->itemSelector()->selector();
    const QPoint hot = list->items()[4].rect.center();
    QTest::mouseMove(list, hot + QPoint(3, 3));
    QTest::mouseMove(list, hot);
    ASSERT_EQ(list->hotIndex(), 4);
    ASSERT_EQ(list->itemIndex(), 2);

    const QImage image = rendered(list);
    for (int i = 0; i < list->items().size(); ++i) {
        const SelectorItem& item = list->items()[i];
        // The caption runs from 4 pixels right of the colour box to the entry's end; two
        // pixels in from the end the background shows, inside any bar's frame.
        const QRect r = item.rect;
        const QRect caption(QPoint(r.left() + 4 + 14 + 2, r.top() + 2),
                            QPoint(r.right() - 3, r.bottom() - 2));
        const QImage behind = rowBackground(image, caption, r.right() - 2);
        expectReadable(measureTextContrast(image, behind, caption),
                       QStringLiteral("entry ") + item.caption);
    }
    host.picker->hideDropDown(false);
}

TEST_P(PickerContrast, FooterButtons)
{
    PickerHost host;
    host.picker->showDropDown();
    ASSERT_TRUE(host.picker->droppedDown());
    const QList<FlatButton*> buttons = host.picker->dropDownForm()->footer()->buttons();
    ASSERT_EQ(buttons.size(), 4);
    for (FlatButton* b : buttons) {
        const QImage image = rendered(b);
        const QRect area = image.rect().adjusted(2, 1, -2, -1);
        const QImage behind = rowBackground(image, area, 1);
        expectReadable(measureTextContrast(image, behind, area), b->button().caption);
    }
    host.picker->hideDropDown(false);
}

TEST_P(PickerContrast, ClosedFaceFocusedAndNot)
{
    PickerHost host;
    host.picker->setSelectedColor(colorFromHex(0xFF0000));
    ASSERT_EQ(host.picker->faceText(), QStringLiteral("Red"));
    for (const bool focused : {true, false}) {
        if (focused) {
            host.picker->setFocus();
            ASSERT_TRUE(QTest::qWaitFor([&] { return host.picker->hasFocus(); }));
        } else {
            host.picker->clearFocus();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !host.picker->hasFocus(); }));
        }
        host.picker->setShowText(true);
        const QImage withText = rendered(host.picker);
        host.picker->setShowText(false);
        const QImage behind = rendered(host.picker);
        host.picker->setShowText(true);
        // Right of the colour box, left of the arrow button.
        const QRect text(QPoint(5 + 14 + 2, 2), QPoint(245 - 17 - 4, 21 - 3));
        const TextContrast c = measureTextContrast(withText, behind, text);
        if (!focused) {
            expectReadable(c, QStringLiteral("face"));
            continue;
        }
        // Focused, the face takes the desktop's selection colours, as the desktop's own
        // lists do: as readable as the desktop makes them, whatever they are.
        const QPalette& pal = host.picker->palette();
        const double desktop = contrastRatio(pal.color(QPalette::Highlight).rgb(),
                                             pal.color(QPalette::HighlightedText).rgb());
        ASSERT_GT(c.glyphPixels, 0);
        EXPECT_GE(c.ratio, desktop - 0.05) << "focused face against the desktop's " << desktop;
    }
}

INSTANTIATE_TEST_SUITE_P(Schemes, PickerContrast, ::testing::ValuesIn(kDesktopSchemes),
                         [](const auto& info) { return std::string(info.param.name); });

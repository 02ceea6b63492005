#pragma once

#include <QDateEdit>

class QCalendarWidget;

namespace tavelorn {

// A date edit that is one place in the tab order, as the platform's date picker:
// Tab leaves it from any of its fields, and Left and Right move between the fields.
// Its calendar pop-up marks the weekend in a red that stays readable on the desktop's
// colours, light or dark.
class DatePicker : public QDateEdit
{
    Q_OBJECT

public:
    explicit DatePicker(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyWeekendColour(QCalendarWidget* calendar);
};

// The colour nearest to colour, lightened or darkened as the backgrounds ask, that reaches
// a contrast of minRatio against every one of them (WCAG 2).
QColor readableOn(const QColor& colour, const QList<QColor>& backgrounds, double minRatio);

} // namespace tavelorn

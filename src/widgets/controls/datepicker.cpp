#include "datepicker.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QTextCharFormat>

#include <algorithm>
#include <cmath>

namespace tavelorn {

namespace {

double luminance(const QColor& c)
{
    const auto channel = [](double s) {
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Text of the body's size: the WCAG AA threshold, with a little room for rounding.
constexpr double kWeekendContrast = 4.6;

} // namespace

QColor readableOn(const QColor& colour, const QList<QColor>& backgrounds, double minRatio)
{
    double darkest = 1;
    for (const QColor& b : backgrounds)
        darkest = std::min(darkest, luminance(b));
    // Towards white on dark grounds, towards black on light ones, in small steps.
    const QColor towards = darkest < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 0; step <= 50; ++step) {
        const double t = step / 50.0;
        const QColor c =
            QColor::fromRgbF(float(colour.redF() + (towards.redF() - colour.redF()) * t),
                             float(colour.greenF() + (towards.greenF() - colour.greenF()) * t),
                             float(colour.blueF() + (towards.blueF() - colour.blueF()) * t));
        if (std::all_of(backgrounds.begin(), backgrounds.end(),
                        [&](const QColor& b) { return contrast(c, b) >= minRatio; }))
            return c;
    }
    return towards;
}

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent)
{
}

bool DatePicker::event(QEvent* event)
{
    const bool handled = QDateEdit::event(event);
    switch (event->type()) {
    case QEvent::ChildAdded:
        // The calendar pop-up is made when first asked for: making it at start loaded every
        // picture format plugin for its arrows. Its calendar is coloured once polished.
        if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
            child->installEventFilter(this);
        break;
    case QEvent::PaletteChange:
        if (auto* calendar = findChild<QCalendarWidget*>())
            applyWeekendColour(calendar);
        break;
    default:
        break;
    }
    return handled;
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ChildPolished)
        if (auto* calendar =
                qobject_cast<QCalendarWidget*>(static_cast<QChildEvent*>(event)->child()))
            applyWeekendColour(calendar);
    return QDateEdit::eventFilter(watched, event);
}

// The calendar's header row lies on AlternateBase and its dates on Base: Qt's pure red
// weekend reads on neither in a dark scheme, nor on white.
void DatePicker::applyWeekendColour(QCalendarWidget* calendar)
{
    const QPalette pal = calendar->palette();
    const QColor red = readableOn(QColor(Qt::red),
                                  {pal.color(QPalette::Active, QPalette::Base),
                                   pal.color(QPalette::Active, QPalette::AlternateBase)},
                                  kWeekendContrast);
    for (const Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday}) {
        QTextCharFormat format = calendar->weekdayTextFormat(day);
        format.setForeground(red);
        calendar->setWeekdayTextFormat(day, format);
    }
}

// QDateTimeEdit walks its fields on Tab; the window's focus chain is what Tab means.
bool DatePicker::focusNextPrevChild(bool next)
{
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): passing over QDateTimeEdit is the point
    return QWidget::focusNextPrevChild(next);
}

void DatePicker::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && event->modifiers() == Qt::NoModifier &&
        sectionCount() > 0) {
        const int step = key == Qt::Key_Right ? 1 : -1;
        const int index = std::clamp(currentSectionIndex() + step, 0, sectionCount() - 1);
        setCurrentSectionIndex(index);
        setSelectedSection(sectionAt(index));
        event->accept();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

} // namespace tavelorn

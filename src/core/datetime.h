#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// A date-time as days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

QDate dateOf(TDateTime dt);
QDateTime toQDateTime(TDateTime dt);
TDateTime fromQDate(const QDate& d);
TDateTime fromQDateTime(const QDateTime& dt);
// The local clock.
TDateTime nowDateTime();

// The locale's short date format made numeric with a four-digit year, so that a
// written date reads back as the same day ("dd/MM/yyyy", "M/d/yyyy", "yyyy-MM-dd"...).
QString shortDateFormat(const QLocale& locale = QLocale::system());

// The calendar day of dt in shortDateFormat(); the time of day never shows.
QString formatShortDate(TDateTime dt, const QLocale& locale = QLocale::system());

// Parses a short date written in the locale's order and separator; nullopt when the
// text is no valid date.
std::optional<TDateTime> parseShortDate(const QString& text,
                                        const QLocale& locale = QLocale::system());

// The same conversions with the locale's format worked out once, for many values.
class TShortDateFormat
{
public:
    explicit TShortDateFormat(const QLocale& locale = QLocale::system());
    const QString& pattern() const { return m_pattern; }
    QString format(TDateTime dt) const;
    std::optional<TDateTime> parse(QStringView text) const;

private:
    char m_order[3];
    QChar m_separator;
    QString m_pattern;
};

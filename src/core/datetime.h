#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

namespace tavelorn {

// A date-time as days since 30 December 1899; the fraction is the time of day.
using SerialDate = double;

QDate dateOf(SerialDate dt);
QDateTime toQDateTime(SerialDate dt);
SerialDate fromQDate(const QDate& d);
SerialDate fromQDateTime(const QDateTime& dt);
// The local clock.
SerialDate nowDateTime();

// The locale's short date format made numeric with a four-digit year, so that a
// written date reads back as the same day ("dd/MM/yyyy", "M/d/yyyy", "yyyy-MM-dd"...).
QString shortDateFormat(const QLocale& locale = QLocale::system());

// The calendar day of dt in shortDateFormat(); the time of day never shows.
QString formatShortDate(SerialDate dt, const QLocale& locale = QLocale::system());

// Parses a short date written in the locale's order and separator; nullopt when the
// text is no valid date.
std::optional<SerialDate> parseShortDate(const QString& text,
                                        const QLocale& locale = QLocale::system());

// The same conversions with the locale's format worked out once, for many values.
class ShortDateFormat
{
public:
    explicit ShortDateFormat(const QLocale& locale = QLocale::system());
    const QString& pattern() const { return m_pattern; }
    QString format(SerialDate dt) const;
    std::optional<SerialDate> parse(QStringView text) const;

private:
    char m_order[3];
    QChar m_separator;
    QString m_pattern;
};

} // namespace tavelorn

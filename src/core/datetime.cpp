#include "datetime.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace tavelorn {

namespace {

const QDate kEpoch(1899, 12, 30);

// Order of day, month and year in a format, and its first separator.
struct DateOrder
{
    char order[3] = {'d', 'M', 'y'};
    QChar separator = u'/';
};

DateOrder dateOrder(const QString& fmt)
{
    DateOrder o;
    int n = 0;
    bool sepFound = false;
    for (qsizetype i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt.at(i);
        if (c == u'\'') { // quoted literal
            while (++i < fmt.size() && fmt.at(i) != u'\'') {
            }
            continue;
        }
        if (c == u'd' || c == u'M' || c == u'y') {
            qsizetype run = 1;
            while (i + run < fmt.size() && fmt.at(i + run) == c)
                ++run;
            // "ddd"/"dddd" are day names, not the day number.
            if (!(c == u'd' && run > 2) && n < 3) {
                bool seen = false;
                for (int k = 0; k < n; ++k)
                    seen = seen || o.order[k] == c.toLatin1();
                if (!seen)
                    o.order[n++] = char(c.toLatin1());
            }
            i += run - 1;
        } else if (!sepFound && n > 0 && !c.isLetterOrNumber() && !c.isSpace()) {
            o.separator = c;
            sepFound = true;
        }
    }
    if (n < 3) // not a usable numeric format: fall back to day, month, year
        return DateOrder{};
    if (!sepFound)
        o.separator = u'/';
    return o;
}

} // namespace

QDate dateOf(SerialDate dt)
{
    if (!std::isfinite(dt) || std::fabs(dt) > 3e6)
        return kEpoch;
    return kEpoch.addDays(qint64(std::trunc(dt)));
}

QDateTime toQDateTime(SerialDate dt)
{
    const QDate d = dateOf(dt);
    double frac = std::isfinite(dt) ? std::fabs(dt - std::trunc(dt)) : 0.0;
    qint64 ms = qint64(std::llround(frac * 86400000.0));
    if (ms >= 86400000)
        ms = 86400000 - 1;
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(ms)));
}

SerialDate fromQDate(const QDate& d)
{
    return d.isValid() ? double(kEpoch.daysTo(d)) : 0.0;
}

SerialDate fromQDateTime(const QDateTime& dt)
{
    const double days = double(kEpoch.daysTo(dt.date()));
    const double frac = dt.time().msecsSinceStartOfDay() / 86400000.0;
    // Before the epoch the fraction still counts forward from midnight.
    return days < 0 ? days - frac : days + frac;
}

SerialDate nowDateTime()
{
    return fromQDateTime(QDateTime::currentDateTime());
}

QString shortDateFormat(const QLocale& locale)
{
    const DateOrder o = dateOrder(locale.dateFormat(QLocale::ShortFormat));
    // Keep the locale's choice of one or two digits for day and month where it is numeric.
    const QString fmt = locale.dateFormat(QLocale::ShortFormat);
    // A format with month names (the C locale's) becomes all two-digit.
    const bool named = fmt.contains(QLatin1String("MMM"));
    const bool twoDay = named || fmt.contains(QLatin1String("dd"));
    const bool twoMonth = fmt.contains(QLatin1String("MM"));
    QString out;
    for (int k = 0; k < 3; ++k) {
        if (k > 0)
            out += o.separator;
        switch (o.order[k]) {
        case 'd':
            out += twoDay ? QLatin1String("dd") : QLatin1String("d");
            break;
        case 'M':
            out += twoMonth ? QLatin1String("MM") : QLatin1String("M");
            break;
        default:
            out += QLatin1String("yyyy");
            break;
        }
    }
    return out;
}

QString formatShortDate(SerialDate dt, const QLocale& locale)
{
    return ShortDateFormat(locale).format(dt);
}

std::optional<SerialDate> parseShortDate(const QString& text, const QLocale& locale)
{
    return ShortDateFormat(locale).parse(text);
}

ShortDateFormat::ShortDateFormat(const QLocale& locale)
{
    const DateOrder o = dateOrder(locale.dateFormat(QLocale::ShortFormat));
    std::copy(std::begin(o.order), std::end(o.order), std::begin(m_order));
    m_separator = o.separator;
    m_pattern = shortDateFormat(locale);
}

QString ShortDateFormat::format(SerialDate dt) const
{
    return dateOf(dt).toString(m_pattern);
}

std::optional<SerialDate> ShortDateFormat::parse(QStringView text) const
{
    const QStringView t = text.trimmed();
    int values[3] = {0, 0, 0};
    qsizetype start = 0;
    for (int k = 0; k < 3; ++k) {
        qsizetype end = k < 2 ? t.indexOf(m_separator, start) : t.size();
        if (end < 0)
            return std::nullopt;
        const QStringView p = t.sliced(start, end - start).trimmed();
        if (p.isEmpty() || p.size() > 4)
            return std::nullopt;
        for (QChar c : p)
            if (c < u'0' || c > u'9')
                return std::nullopt;
        int v = 0;
        for (QChar c : p)
            v = v * 10 + (c.unicode() - u'0');
        if (m_order[k] == 'y' && p.size() <= 2) {
            // Two-digit year: nearest century within 50 years of today.
            const int now = QDate::currentDate().year();
            v += (now / 100) * 100;
            if (v > now + 50)
                v -= 100;
            else if (v <= now - 50)
                v += 100;
        }
        values[k] = v;
        start = end + 1;
    }
    int day = 0, month = 0, year = 0;
    for (int k = 0; k < 3; ++k) {
        switch (m_order[k]) {
        case 'd':
            day = values[k];
            break;
        case 'M':
            month = values[k];
            break;
        default:
            year = values[k];
            break;
        }
    }
    const QDate d(year, month, day);
    if (!d.isValid() || year < 1)
        return std::nullopt;
    return fromQDate(d);
}

} // namespace tavelorn

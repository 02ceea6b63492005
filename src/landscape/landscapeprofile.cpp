#include "landscapeprofile.h"

#include "text.h"

#include <algorithm>

namespace tavelorn {

namespace {

constexpr qsizetype kSidLength = 3; // the SID list's rule

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber();
}

bool isOneWord(const QString& s)
{
    return !s.isEmpty() && std::all_of(s.cbegin(), s.cend(), isWordChar);
}

// Whether phrase occurs in text with no letter or digit glued to its ends.
bool containsWord(const QString& text, const QString& phrase)
{
    const bool wordStart = isWordChar(phrase.front());
    const bool wordEnd = isWordChar(phrase.back());
    for (qsizetype at = text.indexOf(phrase, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(phrase, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + phrase.size();
        if ((!wordStart || at == 0 || !isWordChar(text.at(at - 1))) &&
            (!wordEnd || end == text.size() || !isWordChar(text.at(end))))
            return true;
    }
    return false;
}

QString spaced(QString text)
{
    for (QChar& c : text)
        if (c.unicode() < 32 || c.unicode() == 127 || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    return text;
}

} // namespace

QString landscapeSid(const QString& systemId)
{
    QString sid = trimText(trimText(systemId).left(kSidLength));
    for (const QChar c : sid)
        if (c.unicode() < 32 || c.unicode() == 127)
            return QString();
    return sid;
}

QString landscapeListLine(const LandscapeSystem& system)
{
    return spaced(landscapeSid(system.systemId)) + u'\t' + spaced(system.name) + u'\t' +
           spaced(system.folderPath);
}

PositionMatcher::PositionMatcher(const QStringList& positions)
{
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const QString& p = positions.at(i);
        if (isOneWord(p)) {
            if (const QString word = p.toCaseFolded(); !m_words.contains(word))
                m_words.insert(word, int(i));
        } else if (!trimText(p).isEmpty())
            m_phrases.append({int(i), p}); // blank names would match anywhere
    }
}

int PositionMatcher::find(const QStringList& texts) const
{
    int best = -1;
    for (const QString& text : texts) {
        // Each run of letters and digits, looked up once.
        for (qsizetype start = 0; start < text.size();) {
            if (!isWordChar(text.at(start))) {
                ++start;
                continue;
            }
            qsizetype end = start;
            while (end < text.size() && isWordChar(text.at(end)))
                ++end;
            if (!m_words.isEmpty()) {
                const auto hit = m_words.constFind(text.mid(start, end - start).toCaseFolded());
                if (hit != m_words.cend() && (best < 0 || *hit < best))
                    best = *hit;
            }
            start = end;
        }
    }
    for (const auto& [index, phrase] : m_phrases) {
        if (best >= 0 && index > best)
            break;
        for (const QString& text : texts)
            if (containsWord(text, phrase))
                return index;
    }
    return best;
}

LandscapeBatch landscapeBatch(const LandscapeSystemList& systems, const Profile& templateProfile,
                              const QStringList& positions, LandscapeTitle title)
{
    const PositionMatcher matcher(positions);
    LandscapeBatch batch;
    batch.pictures.reserve(systems.size());
    for (const LandscapeSystem& s : systems) {
        const QString label = QStringLiteral("system \"") + spaced(s.name) + u'"';
        Profile p = templateProfile;
        p.sid = landscapeSid(s.systemId);
        if (p.sid.isEmpty()) {
            batch.skipped.append(label + QStringLiteral(": systemid \"") + spaced(s.systemId) +
                                 QStringLiteral("\" gives no usable SID: skipped"));
            continue;
        }
        p.systemTitle = title == LandscapeTitle::Description && !trimText(s.description).isEmpty()
                            ? s.description
                            : s.name;
        if (const int i = matcher.find({s.name, s.description, s.folderPath}); i >= 0)
            p.landscapePosition = positions.at(i);
        batch.pictures.append({std::move(p), label});
    }
    return batch;
}

} // namespace tavelorn

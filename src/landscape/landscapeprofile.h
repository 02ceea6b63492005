#pragma once

#include "landscape.h"
#include "profile.h"

#include <QHash>

namespace tavelorn {

// The SID a system's picture shows: its systemid trimmed and cut to the 3 characters of
// the SID list; empty when nothing usable is left (blank, or a control character).
QString landscapeSid(const QString& systemId);

// The line of tavelorn-export --list for a system: SID, name and folder path, separated
// by tabs; tabs and line breaks inside them become spaces.
QString landscapeListLine(const LandscapeSystem& system);

// Finds the first landscape position whose name appears as a whole word in a text,
// letter case ignored. Words are runs of letters and digits, so "DEV" is found in
// "ERP DEV", "erp-dev" and "ERP_DEV", not in "DEVELOPMENT". Linear in the texts for
// positions that are one word; a name of several words is searched for as it stands.
class PositionMatcher
{
public:
    explicit PositionMatcher(const QStringList& positions);
    // The index of the first position found in any of the texts, -1 when none is.
    int find(const QStringList& texts) const;

private:
    QHash<QString, int> m_words;              // case-folded one-word name -> first index
    QList<std::pair<int, QString>> m_phrases; // the other names, by index
};

enum class LandscapeTitle
{
    Name,
    Description
};

// The profiles of a landscape's systems, made from a template profile, and the systems
// left out, each with its message.
struct LandscapePicture
{
    Profile profile;
    QString label; // how messages name the system
};
struct LandscapeBatch
{
    QList<LandscapePicture> pictures;
    QStringList skipped;
};

// For each system: the template with the system's SID, its name (or, for Description,
// its description when not blank) as title and the first position of positions that the
// name, description or folder path names, else the template's position. Systems without
// a usable SID are skipped.
LandscapeBatch landscapeBatch(const LandscapeSystemList& systems, const Profile& templateProfile,
                              const QStringList& positions, LandscapeTitle title);

} // namespace tavelorn

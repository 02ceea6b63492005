#pragma once

#include "colorvalue.h"

#include <QString>

#include <memory>

namespace tavelorn {

class ConfigStore;

// The option lists a profile is applied against, with the rules by which applying a
// profile makes present what they lack. Indexes are positions in the lists of lists().
class ProfileLists
{
public:
    // The store's own lists: an item is added, the list saved and reloaded, as the main
    // window does (a refused write throws AppError).
    explicit ProfileLists(ConfigStore& store);
    // Copies of store's lists that take the same additions in memory and never write: each
    // profile of tavelorn-export as if picked right after the program started.
    static ProfileLists scratch(const ConfigStore& store);

    ProfileLists(ProfileLists&&) noexcept;
    ~ProfileLists();

    const ConfigStore& lists() const { return *m_store; }

    // Each makes the text present in its list, unless it is there already (whole text,
    // letter case ignored), and returns the index of the item the search then finds: -1
    // when the reload of a cleaned list dropped the addition (a SID with blanks round it).
    int systemTitleIndex(const QString& title);
    // A new position takes the colour stored under its number.
    int landscapeTypeIndex(const QString& position);
    Color landscapeTypeColor(const QString& position) const;
    int sidIndex(const QString& sid);
    // The source system list: an empty item, then the SIDs. A missing source is added to
    // the SID list, which rebuilds this one.
    int sourceSystemIndex(const QString& source);
    // Never adds: the refresh comment list is not written for a profile. -1 when the list
    // lacks the comment; a blank comment finds the empty top item.
    int refreshCommentIndex(const QString& comment) const;

private:
    ProfileLists(std::unique_ptr<ConfigStore> scratch);
    void addSID(const QString& sid);

    std::unique_ptr<ConfigStore> m_scratch;
    ConfigStore* m_store;
};

} // namespace tavelorn

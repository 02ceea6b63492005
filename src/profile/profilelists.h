#pragma once

#include "colour.h"

#include <QString>

#include <memory>

class TConfigStore;

// The option lists a profile is applied against, with the rules by which applying a
// profile makes present what they lack. Indexes are positions in the lists of lists().
class TProfileLists
{
public:
    // The store's own lists: an item is added, the list saved and reloaded, as the main
    // window does (a refused write throws EAppError).
    explicit TProfileLists(TConfigStore& store);
    // Copies of store's lists that take the same additions in memory and never write: each
    // profile of tavelorn-export as if picked right after the program started.
    static TProfileLists Scratch(const TConfigStore& store);

    TProfileLists(TProfileLists&&) noexcept;
    ~TProfileLists();

    const TConfigStore& lists() const { return *m_store; }

    // Each makes the text present in its list, unless it is there already (whole text,
    // letter case ignored), and returns the index of the item the search then finds: -1
    // when the reload of a cleaned list dropped the addition (a SID with blanks round it).
    int SystemTitle(const QString& title);
    // A new position takes the colour stored under its number.
    int LandscapeType(const QString& position);
    TColor LandscapeTypeColor(const QString& position) const;
    int SID(const QString& sid);
    // The source system list: an empty item, then the SIDs. A missing source is added to
    // the SID list, which rebuilds this one.
    int SourceSystem(const QString& source);
    // Never adds: the refresh comment list is not written for a profile. -1 when the list
    // lacks the comment; a blank comment finds the empty top item.
    int RefreshComment(const QString& comment) const;

private:
    TProfileLists(std::unique_ptr<TConfigStore> scratch);
    void addSID(const QString& sid);

    std::unique_ptr<TConfigStore> m_scratch;
    TConfigStore* m_store;
};

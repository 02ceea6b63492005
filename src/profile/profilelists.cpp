#include "profilelists.h"

#include "configstore.h"
#include "text.h"

TProfileLists::TProfileLists(TConfigStore& store) : m_store(&store)
{
}

TProfileLists::TProfileLists(std::unique_ptr<TConfigStore> scratch)
    : m_scratch(std::move(scratch)), m_store(m_scratch.get())
{
}

TProfileLists::TProfileLists(TProfileLists&&) noexcept = default;
TProfileLists::~TProfileLists() = default;

TProfileLists TProfileLists::Scratch(const TConfigStore& store)
{
    auto copy = std::make_unique<TConfigStore>();
    copy->CopyListsFrom(store);
    return TProfileLists(std::move(copy));
}

int TProfileLists::SystemTitle(const QString& title)
{
    TItemList& list = m_store->cbxSystemTitle;
    if (list.IndexOf(title) < 0) {
        list.Add(title);
        if (!m_scratch)
            m_store->SaveSystemTitles();
    }
    return list.IndexOf(title);
}

int TProfileLists::LandscapeType(const QString& position)
{
    TItemList& list = m_store->cbxLandscapeType;
    if (list.IndexOf(position) < 0) {
        list.Add(position);
        if (!m_scratch) {
            m_store->SaveLandscapeTypes();
        } else {
            // What the reload after saving the names gives the new last position.
            const tyLandscapeType added{position, m_store->StoredLandscapeColor(list.Count())};
            m_store->FArrLandscapeType.append(added);
        }
    }
    return list.IndexOf(position);
}

TColor TProfileLists::LandscapeTypeColor(const QString& position) const
{
    return m_store->GetLandscapeTypeColor(position);
}

void TProfileLists::addSID(const QString& sid)
{
    if (!m_scratch) {
        // The save reloads the list, which cleans it and rebuilds the source systems.
        m_store->cbxSID.Add(sid);
        m_store->SaveSIDs();
    } else {
        // The loaded list is clean already: the reload only cleans the new item.
        AppendCleanItems(m_store->cbxSID, {sid});
        m_store->RebuildSourceSystems();
    }
}

int TProfileLists::SID(const QString& sid)
{
    if (m_store->cbxSID.IndexOf(sid) < 0)
        addSID(sid);
    return m_store->cbxSID.IndexOf(sid);
}

int TProfileLists::SourceSystem(const QString& source)
{
    if (m_store->cbxSourceSystem.IndexOf(source) < 0)
        addSID(source);
    return m_store->cbxSourceSystem.IndexOf(source);
}

int TProfileLists::RefreshComment(const QString& comment) const
{
    const TItemList& list = m_store->cbxRefreshComment;
    const int index = list.IndexOf(comment);
    // A blank comment is the empty top item.
    return index < 0 && trimText(comment).isEmpty() ? list.IndexOf(QString()) : index;
}

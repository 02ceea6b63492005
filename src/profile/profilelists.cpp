#include "profilelists.h"

#include "configstore.h"
#include "text.h"

namespace tavelorn {

ProfileLists::ProfileLists(ConfigStore& store) : m_store(&store)
{
}

ProfileLists::ProfileLists(std::unique_ptr<ConfigStore> scratch)
    : m_scratch(std::move(scratch)), m_store(m_scratch.get())
{
}

ProfileLists::ProfileLists(ProfileLists&&) noexcept = default;
ProfileLists::~ProfileLists() = default;

ProfileLists ProfileLists::scratch(const ConfigStore& store)
{
    auto copy = std::make_unique<ConfigStore>();
    copy->copyListsFrom(store);
    return ProfileLists(std::move(copy));
}

int ProfileLists::systemTitleIndex(const QString& title)
{
    ItemList& list = m_store->systemTitles();
    if (list.indexOf(title) < 0) {
        list.add(title);
        if (!m_scratch)
            m_store->saveSystemTitles();
    }
    return list.indexOf(title);
}

int ProfileLists::landscapeTypeIndex(const QString& position)
{
    ItemList& list = m_store->landscapeTypeNames();
    if (list.indexOf(position) < 0) {
        list.add(position);
        if (!m_scratch) {
            m_store->saveLandscapeTypes();
        } else {
            // What the reload after saving the names gives the new last position.
            const LandscapeType added{position, m_store->storedLandscapeColor(list.count())};
            m_store->landscapeTypes().append(added);
        }
    }
    return list.indexOf(position);
}

Color ProfileLists::landscapeTypeColor(const QString& position) const
{
    return m_store->landscapeTypeColor(position);
}

void ProfileLists::addSID(const QString& sid)
{
    if (!m_scratch) {
        // The save reloads the list, which cleans it and rebuilds the source systems.
        m_store->sids().add(sid);
        m_store->saveSids();
    } else {
        // The loaded list is clean already: the reload only cleans the new item.
        appendCleanItems(m_store->sids(), {sid});
        m_store->rebuildSourceSystems();
    }
}

int ProfileLists::sidIndex(const QString& sid)
{
    if (m_store->sids().indexOf(sid) < 0)
        addSID(sid);
    return m_store->sids().indexOf(sid);
}

int ProfileLists::sourceSystemIndex(const QString& source)
{
    if (m_store->sourceSystems().indexOf(source) < 0)
        addSID(source);
    return m_store->sourceSystems().indexOf(source);
}

int ProfileLists::refreshCommentIndex(const QString& comment) const
{
    const ItemList& list = m_store->refreshComments();
    const int index = list.indexOf(comment);
    // A blank comment is the empty top item.
    return index < 0 && trimText(comment).isEmpty() ? list.indexOf(QString()) : index;
}

} // namespace tavelorn

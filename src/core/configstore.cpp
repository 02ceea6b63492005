#include "configstore.h"

#include "apperror.h"
#include "filetransaction.h"
#include "inifile.h"
#include "listmerge.h"
#include "profilemerge.h"
#include "safefile.h"
#include "text.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <cerrno>

namespace tavelorn {

namespace {

const QString kSystemInfo = QStringLiteral("SystemInfo");
const QString kSystemInfoPrefix = QStringLiteral("SystemInfo_");
const QString kNbItems = QStringLiteral("NbItems");
const QString kItemPrefix = QStringLiteral("Item_");
const QString kColor = QStringLiteral("Color");

// What a missing key of a profile reads as.
const Profile kMissingProfile;

QString itemKey(qint32 n)
{
    return kItemPrefix + QString::number(n);
}

// "SystemInfo_" number, in one allocation: it is made for every profile read or written.
QString profileSection(qint32 number)
{
    std::array<char16_t, 10> digits{};
    char16_t* const end = digits.data() + digits.size();
    char16_t* first = end;
    for (quint32 n = quint32(std::max(number, 0));;) {
        *--first = char16_t(u'0' + n % 10);
        n /= 10;
        if (n == 0)
            break;
    }
    QString section;
    section.reserve(kSystemInfoPrefix.size() + (end - first));
    section.append(kSystemInfoPrefix);
    section.append(QStringView(first, end));
    return section;
}

// The busy cursor for the length of a scope.
class BusyScope
{
public:
    explicit BusyScope(const std::function<void(bool)>& setBusy) : m_setBusy(setBusy)
    {
        if (m_setBusy)
            m_setBusy(true);
    }
    ~BusyScope()
    {
        if (m_setBusy)
            m_setBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const std::function<void(bool)>& m_setBusy;
};

// A count read from the file, bounded by the members the file really holds, so that an
// absurd count neither allocates nor loops without need; 0 when it is not positive.
qint32 boundedCount(qint32 count, qint32 highestPresent)
{
    return count > 0 ? std::min(count, highestPresent) : 0;
}

// The number of profile sections, bounded as above.
qint32 profileCount(const IniFile& ini)
{
    return boundedCount(ini.readInteger(kSystemInfo, kNbItems, 0),
                        ini.highestNumberedSection(kSystemInfoPrefix));
}

// The same for reading the profiles, where a negative count is a range error.
qint32 checkedProfileCount(const IniFile& ini)
{
    if (ini.readInteger(kSystemInfo, kNbItems, 0) < 0)
        throw AppError(QStringLiteral("Erreur de vérification d'étendue"));
    return profileCount(ini);
}

void readValue(const IniFile& ini, const QString& section, const QString& key,
               const QString& missing, QString& value)
{
    ini.readStringInto(section, key, missing, value);
}

void readValue(const IniFile& ini, const QString& section, const QString& key, qint32 missing,
               qint32& value)
{
    value = ini.readInteger(section, key, missing);
}

void readValue(const IniFile& ini, const QString& section, const QString& key, bool missing,
               bool& value)
{
    value = ini.readBool(section, key, missing);
}

void readValue(const IniFile& ini, const QString& section, const QString& key, SerialDate missing,
               SerialDate& value)
{
    value = ini.readDate(section, key, missing);
}

void writeValue(IniFile& ini, const QString& section, const QString& key, const QString& value)
{
    ini.writeString(section, key, value);
}

void writeValue(IniFile& ini, const QString& section, const QString& key, qint32 value)
{
    ini.writeInteger(section, key, value);
}

void writeValue(IniFile& ini, const QString& section, const QString& key, bool value)
{
    ini.writeBool(section, key, value);
}

void writeValue(IniFile& ini, const QString& section, const QString& key, SerialDate value)
{
    ini.writeDate(section, key, value);
}

// Section SystemInfo_number into s.
void readProfile(const IniFile& ini, qint32 number, Profile& s)
{
    const QString section = profileSection(number);
    for (const ProfileField& field : kProfileFields)
        std::visit(
            [&](auto member) {
                readValue(ini, section, field.key, kMissingProfile.*member, s.*member);
            },
            field.member);
}

void writeProfile(IniFile& ini, qint32 number, const Profile& s)
{
    const QString section = profileSection(number);
    for (const ProfileField& field : kProfileFields)
        std::visit([&](auto member) { writeValue(ini, section, field.key, s.*member); },
                   field.member);
}

void writeItems(IniFile& ini, const QString& section, const QStringList& items)
{
    ini.writeInteger(section, kNbItems, qint32(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        ini.writeString(section, itemKey(qint32(i + 1)), items[i]);
}

// The items of a list section, as they stand.
QStringList readItems(const IniFile& ini, const QString& section)
{
    const qint32 n = boundedCount(ini.readInteger(section, kNbItems, 0),
                                  ini.highestNumberedKey(section, kItemPrefix));
    QStringList items;
    items.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        items.append(ini.readString(section, itemKey(i), QString()));
    return items;
}

// Replaces the items of list by the items of its section, loaded by rule.
void fillList(ItemList& list, const IniFile& ini, const OptionListRule& rule)
{
    ItemListUpdate update(list);
    list.clear();
    const QStringList items = readItems(ini, rule.section);
    if (rule.cleaned) {
        appendCleanItems(list, items);
    } else {
        for (const QString& item : items)
            list.add(item);
    }
    if (rule.leadingEmpty)
        list.insert(0, QString());
}

// The items of a list section as a load by rule gives them.
QStringList loadedItems(const IniFile& ini, const OptionListRule& rule)
{
    ItemList list(rule.sorted);
    fillList(list, ini, rule);
    return list.items();
}

// The colours of "Color" Item_1 … as the file holds them; 0 where one is missing.
QList<Color> readStoredColors(const IniFile& ini)
{
    const qint32 n = ini.highestNumberedKey(kColor, kItemPrefix);
    QList<Color> colours;
    colours.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        colours.append(ini.readInteger(kColor, itemKey(i), 0));
    return colours;
}

// Each name with the colour stored under its number, as a load pairs them.
LandscapeTypeList withStoredColors(const QStringList& names, const QList<Color>& colours)
{
    LandscapeTypeList types;
    types.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        types.append({names[i], i < colours.size() ? colours[i] : 0});
    return types;
}

QStringList descriptions(const LandscapeTypeList& types)
{
    QStringList names;
    names.reserve(types.size());
    for (const LandscapeType& t : types)
        names.append(t.name);
    return names;
}

// The first colour of each name.
QHash<QString, Color> colourByName(const LandscapeTypeList& types)
{
    QHash<QString, Color> colours;
    colours.reserve(types.size());
    for (const LandscapeType& t : types)
        if (!colours.contains(t.name))
            colours.insert(t.name, t.color);
    return colours;
}

} // namespace

// Items as they stand: the names of the system titles and landscape positions.
const OptionListRule kSystemTitleList{QStringLiteral("SystemTitle"), false, false, false};
const OptionListRule kSidList{QStringLiteral("SID"), true, true, false};
const OptionListRule kLandscapeTypeList{QStringLiteral("LandscapeType"), false, false, false};
const OptionListRule kRefreshCommentList{QStringLiteral("RefreshComment"), false, true, true};

ConfigStore::OptionList::OptionList(const OptionListRule& listRule)
    : rule(listRule), list(listRule.sorted)
{
}

ConfigStore::ConfigStore() : ConfigStore(QString())
{
}

ConfigStore::ConfigStore(const QString& configFile)
    : m_filePath(configFile), m_systemTitles(kSystemTitleList), m_sids(kSidList),
      m_landscapeTypeNames(kLandscapeTypeList), m_refreshComments(kRefreshCommentList)
{
}

ProfileList readProfiles(const IniFile& ini)
{
    const qint32 n = checkedProfileCount(ini);
    ProfileList profiles(n);
    for (qint32 i = 1; i <= n; ++i) {
        // Read over the previous profile: the values equal to its own (titles, pictures,
        // comments) are assigned nothing and share its text instead of a copy each.
        if (i > 1)
            profiles[i - 1] = profiles[i - 2];
        readProfile(ini, i, profiles[i - 1]);
    }
    return profiles;
}

// The identifiers of the profiles the file holds; a negative count throws as
// readProfiles does.
QStringList readProfileIds(const IniFile& ini)
{
    const QString& idKey = kProfileFields.front().key;
    const qint32 n = checkedProfileCount(ini);
    QStringList ids;
    ids.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        ids.append(ini.readString(profileSection(i), idKey, QString()));
    return ids;
}

void writeProfiles(IniFile& ini, const ProfileList& profiles)
{
    const qint32 before = profileCount(ini);
    qint32 k = 0;
    for (const Profile& s : profiles)
        if (!s.id.isEmpty())
            writeProfile(ini, ++k, s);
    ini.writeInteger(kSystemInfo, kNbItems, k);
    // A deleted profile's data goes with it.
    for (qint32 i = k + 1; i <= before; ++i)
        ini.eraseSection(profileSection(i));
}

IniFile ConfigStore::readFile() const
{
    FileTransaction tx(m_filePath, FileTransaction::Mode::Read);
    return IniFile::fromBytes(tx.read(IniFile::kMaxFileSize), m_filePath);
}

IniFile ConfigStore::modifyFile(const std::function<void(IniFile&)>& change)
{
    for (bool mayLeaveCodePage = !m_confirmLeavingCodePage;;) {
        int codePage = 0;
        {
            FileTransaction tx(m_filePath, FileTransaction::Mode::Write, m_lockWaitObserver);
            IniFile ini = IniFile::fromBytes(tx.read(IniFile::kMaxFileSize), m_filePath);
            change(ini);
            if (mayLeaveCodePage || !ini.leavesCodePage()) {
                if (ini.isModified()) {
                    // Past the bound no reader would read the file again: refused unwritten.
                    const QByteArray bytes = ini.toBytes();
                    const int err = bytes.size() > IniFile::kMaxFileSize ? EFBIG : tx.write(bytes);
                    if (err)
                        throw AppError(writeErrorMessage(m_filePath, err), err);
                }
                return ini;
            }
            codePage = ini.codePage();
        }
        // A misread code page would become permanent: the user decides, with no lock held.
        if (!m_confirmLeavingCodePage(codePage))
            return readFile();
        mayLeaveCodePage = true;
    }
}

void ConfigStore::loadProfiles()
{
    loadProfiles(readFile());
}

void ConfigStore::loadProfiles(const IniFile& ini)
{
    BusyScope busy(m_setBusy);
    ItemListUpdate update(m_profileIds);
    m_profileIds.clear();
    try {
        m_profiles = readProfiles(ini);
    } catch (const AppError&) {
        m_profiles.clear();
        m_currentProfileIndex = -1;
        throw;
    }
    const qint32 n = qint32(m_profiles.size());
    for (const Profile& s : std::as_const(m_profiles)) {
        m_profileIds.add(s.id);
        if (m_processEvents)
            m_processEvents();
    }
    m_currentProfileIndex = n - 1;
}

QString ConfigStore::makeProfileId(const QString& title, const QString& sid, SerialDate date)
{
    const QDate d = dateOf(date);
    return title + QStringLiteral("__") + sid + QStringLiteral("__") + QString::number(d.year()) +
           u'_' + QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0')) + u'_' +
           QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
}

qint32 ConfigStore::findProfile(const QString& id) const
{
    for (qsizetype i = 0; i < m_profiles.size(); ++i)
        if (m_profiles[i].id == id)
            return qint32(i);
    return -1;
}

namespace {

// The profile of the file at index when it still has the identifier id there, else the
// first one with that identifier, else -1.
qint32 profileIndexIn(const QStringList& ids, qint32 index, const QString& id)
{
    if (index >= 0 && index < ids.size() && ids[index] == id)
        return index;
    return qint32(ids.indexOf(id));
}

QStringList idsOf(const ProfileList& profiles)
{
    QStringList ids;
    ids.reserve(profiles.size());
    for (const Profile& p : profiles)
        ids.append(p.id);
    return ids;
}

} // namespace

void ConfigStore::storeProfile(const QString& id, const Profile& values)
{
    const qint32 current = m_currentProfileIndex;
    Profile stored = values;
    stored.id = id;
    const IniFile ini = [&] {
        BusyScope busy(m_setBusy);
        return modifyFile([&](IniFile& file) {
            // The profiles as they are now: what others saved meanwhile stays.
            const QStringList ids = readProfileIds(file);
            if (!ids.contains(QString())) {
                // Every profile keeps its number: only this one's section is written.
                qint32 target = profileIndexIn(ids, current, id);
                if (target < 0)
                    target = qint32(ids.size());
                writeProfile(file, target + 1, stored);
                file.writeInteger(kSystemInfo, kNbItems,
                                  qint32(std::max(ids.size(), qsizetype(target) + 1)));
                return;
            }
            // Profiles without an identifier are dropped and the rest renumbered.
            ProfileList profiles = readProfiles(file);
            qint32 target = profileIndexIn(idsOf(profiles), current, id);
            if (target < 0) {
                profiles.append(Profile{});
                target = qint32(profiles.size() - 1);
            }
            profiles[target] = stored;
            writeProfiles(file, profiles);
        });
    }();
    loadProfiles(ini);
}

void ConfigStore::storeProfile(const QString& id, const Profile& values, const Profile& base)
{
    if (id != base.id) {
        storeProfile(id, values);
        return;
    }
    const qint32 current = m_currentProfileIndex;
    const bool edited = profileEdited(base, values);
    Profile recreated = values;
    recreated.id = id;
    const IniFile ini = [&] {
        BusyScope busy(m_setBusy);
        return modifyFile([&](IniFile& file) {
            const QStringList ids = readProfileIds(file);
            if (!ids.contains(QString())) {
                // Every profile keeps its number: only this one's section is written.
                const qint32 target = profileIndexIn(ids, current, id);
                if (target >= 0) {
                    Profile now;
                    readProfile(file, target + 1, now);
                    writeProfile(file, target + 1, mergeProfileEdit(base, values, now));
                } else if (edited) {
                    // Deleted elsewhere: the user's change brings it back, nothing else does.
                    writeProfile(file, qint32(ids.size()) + 1, recreated);
                    file.writeInteger(kSystemInfo, kNbItems, qint32(ids.size()) + 1);
                }
                return;
            }
            // Profiles without an identifier are dropped and the rest renumbered.
            ProfileList profiles = readProfiles(file);
            const qint32 target = profileIndexIn(idsOf(profiles), current, id);
            if (target >= 0)
                profiles[target] = mergeProfileEdit(base, values, profiles[target]);
            else if (edited)
                profiles.append(recreated);
            writeProfiles(file, profiles);
        });
    }();
    loadProfiles(ini);
}

void ConfigStore::deleteProfile(qint32 index)
{
    if (index < 0 || index >= m_profiles.size())
        return;
    const QString id = m_profiles[index].id;
    const IniFile ini = [&] {
        BusyScope busy(m_setBusy);
        return modifyFile([&](IniFile& file) {
            ProfileList profiles = readProfiles(file);
            const qint32 target = profileIndexIn(idsOf(profiles), index, id);
            if (target < 0)
                return; // gone already
            profiles[target].id.clear();
            writeProfiles(file, profiles);
        });
    }();
    loadProfiles(ini);
}

void ConfigStore::loadList(const IniFile& ini, OptionList& list)
{
    fillList(list.list, ini, list.rule);
    list.loaded = list.list.items();
}

IniFile ConfigStore::saveList(const OptionList& list)
{
    const QStringList edited = list.list.items();
    return modifyFile([&](IniFile& file) {
        QStringList merged = mergeListEdit(list.loaded, edited, loadedItems(file, list.rule));
        if (list.rule.sorted) {
            ItemList sorted(true);
            sorted.assign(merged);
            merged = sorted.items();
        }
        writeItems(file, list.rule.section, merged);
    });
}

void ConfigStore::loadSystemTitles()
{
    loadSystemTitles(readFile());
}

void ConfigStore::loadSystemTitles(const IniFile& ini)
{
    loadList(ini, m_systemTitles);
}

void ConfigStore::saveSystemTitles()
{
    loadSystemTitles(saveList(m_systemTitles));
}

void appendCleanItems(ItemList& list, const QStringList& items)
{
    ItemListUpdate update(list);
    // A few items, as when a profile adds one: the list's own search costs less than
    // folding every item into a set.
    if (items.size() <= 8) {
        for (const QString& raw : items) {
            const QString item = trimText(raw);
            if (!item.isEmpty() && list.indexOf(item) < 0)
                list.add(item);
        }
        return;
    }
    QSet<QString> present;
    if (list.count() > 0) {
        const QStringList existing = list.items();
        present.reserve(existing.size() + items.size());
        for (const QString& item : existing)
            present.insert(ItemList::foldKey(item));
    }
    for (const QString& raw : items) {
        const QString item = trimText(raw);
        if (item.isEmpty())
            continue;
        const QString key = ItemList::foldKey(item);
        if (present.contains(key))
            continue;
        present.insert(key);
        list.add(item);
    }
}

void ConfigStore::loadSids()
{
    loadSids(readFile());
}

void ConfigStore::loadSids(const IniFile& ini)
{
    loadList(ini, m_sids);
    rebuildSourceSystems();
}

void ConfigStore::rebuildSourceSystems()
{
    QStringList sources = m_sids.list.items();
    sources.prepend(QString());
    m_sourceSystems.assign(sources);
}

void ConfigStore::saveSids()
{
    loadSids(saveList(m_sids));
}

void ConfigStore::loadLandscapeTypes()
{
    loadLandscapeTypes(readFile());
}

void ConfigStore::loadLandscapeTypes(const IniFile& ini)
{
    loadList(ini, m_landscapeTypeNames);
    // Every stored colour, also for positions that a profile adds past the list's end.
    m_storedColors = readStoredColors(ini);
    m_landscapeTypes = withStoredColors(m_landscapeTypeNames.loaded, m_storedColors);
}

void ConfigStore::saveLandscapeTypes()
{
    // The colours stay in their numbered places.
    loadLandscapeTypes(saveList(m_landscapeTypeNames));
}

void ConfigStore::saveLandscapeTypesAndColors()
{
    const LandscapeTypeList edited = m_landscapeTypes;
    const LandscapeTypeList before = withStoredColors(m_landscapeTypeNames.loaded, m_storedColors);
    const QString& section = m_landscapeTypeNames.rule.section;
    const IniFile ini = modifyFile([&](IniFile& file) {
        const LandscapeTypeList now =
            withStoredColors(readItems(file, section), readStoredColors(file));
        const QStringList names =
            mergeListEdit(descriptions(before), descriptions(edited), descriptions(now));
        const QHash<QString, Color> was = colourByName(before);
        const QHash<QString, Color> mine = colourByName(edited);
        const QHash<QString, Color> theirs = colourByName(now);
        const qint32 n = qint32(names.size());
        file.writeInteger(section, kNbItems, n);
        file.writeInteger(kColor, kNbItems, n);
        for (qint32 i = 1; i <= n; ++i) {
            const QString& name = names[i - 1];
            // The user's colour where the user chose one, else the one stored now.
            const auto m = mine.constFind(name);
            const auto w = was.constFind(name);
            const auto t = theirs.constFind(name);
            const bool chosen = m != mine.cend() && (w == was.cend() || *w != *m);
            const Color colour = chosen || t == theirs.cend() ? (m != mine.cend() ? *m : 0) : *t;
            file.writeString(section, itemKey(i), name);
            file.writeInteger(kColor, itemKey(i), colour);
        }
    });
    loadLandscapeTypes(ini);
}

void ConfigStore::loadRefreshComments()
{
    loadRefreshComments(readFile());
}

void ConfigStore::loadRefreshComments(const IniFile& ini)
{
    loadList(ini, m_refreshComments);
}

void ConfigStore::saveRefreshComments()
{
    loadRefreshComments(saveList(m_refreshComments));
}

Color ConfigStore::landscapeTypeColor(const QString& name) const
{
    return tavelorn::landscapeTypeColor(m_landscapeTypes, name);
}

Color ConfigStore::storedLandscapeColor(qint32 number) const
{
    return number >= 1 && number <= m_storedColors.size() ? m_storedColors[number - 1] : 0;
}

void ConfigStore::copyListsFrom(const ConfigStore& other)
{
    m_filePath = other.filePath();
    m_landscapeTypes = other.landscapeTypes();
    m_storedColors = other.m_storedColors;
    m_systemTitles.list.assignItems(other.systemTitles());
    m_sids.list.assignItems(other.sids());
    m_sourceSystems.assignItems(other.sourceSystems());
    m_landscapeTypeNames.list.assignItems(other.landscapeTypeNames());
    m_refreshComments.list.assignItems(other.refreshComments());
}

void ConfigStore::loadAll()
{
    loadAllFrom(readFile());
}

void ConfigStore::loadAllFrom(const IniFile& ini)
{
    loadSystemTitles(ini);
    loadLandscapeTypes(ini);
    loadSids(ini);
    loadProfiles(ini);
    loadRefreshComments(ini);
}

} // namespace tavelorn

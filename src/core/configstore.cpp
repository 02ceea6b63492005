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
#include <cerrno>

namespace tavelorn {

namespace {

const QString kSystemInfo = QStringLiteral("SystemInfo");
const QString kSystemInfoPrefix = QStringLiteral("SystemInfo_");
const QString kNbItems = QStringLiteral("NbItems");
const QString kItemPrefix = QStringLiteral("Item_");
const QString kSystemTitle = QStringLiteral("SystemTitle");
const QString kSID = QStringLiteral("SID");
const QString kLandscapeType = QStringLiteral("LandscapeType");
const QString kColor = QStringLiteral("Color");
const QString kRefreshComment = QStringLiteral("RefreshComment");

const QString kID = QStringLiteral("ID");
const QString kBorderWidth = QStringLiteral("BorderWidth");
const QString kLansdscapePosition = QStringLiteral("LansdscapePosition");
const QString kUsage1 = QStringLiteral("Usage1");
const QString kUsage2 = QStringLiteral("Usage2");
const QString kPictureFullPath = QStringLiteral("PictureFullPath");
const QString kPictureCenter = QStringLiteral("PictureCenter");
const QString kPictureStretch = QStringLiteral("PictureStretch");
const QString kInfo1 = QStringLiteral("Info1");
const QString kInfo2 = QStringLiteral("Info2");
const QString kInfo3 = QStringLiteral("Info3");
const QString kLastRefresh = QStringLiteral("LastRefresh");
const QString kSourceRefresh = QStringLiteral("SourceRefresh");
const QString kCommentRefresh = QStringLiteral("CommentRefresh");

QString itemKey(qint32 n)
{
    return kItemPrefix + QString::number(n);
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
// absurd count neither allocates nor loops without need.
qint32 boundedCount(qint32 count, qint32 highestPresent)
{
    return std::min(count, highestPresent);
}

qint32 listCount(const IniFile& ini, const QString& section)
{
    const qint32 n = ini.readInteger(section, kNbItems, 0);
    if (n <= 0)
        return 0;
    return boundedCount(n, ini.highestNumberedKey(section, kItemPrefix));
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
    const qint32 n = listCount(ini, section);
    QStringList items;
    items.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        items.append(ini.readString(section, itemKey(i), QString()));
    return items;
}

QStringList cleanItems(const IniFile& ini, const QString& section, bool sorted)
{
    ItemList list(sorted);
    appendCleanItems(list, readItems(ini, section));
    return list.items();
}

void loadCleanList(const IniFile& ini, const QString& section, ItemList& list)
{
    ItemListUpdate update(list);
    list.clear();
    appendCleanItems(list, readItems(ini, section));
}

Color storedColor(const IniFile& ini, qint32 number)
{
    return ini.readInteger(kColor, itemKey(number), 0);
}

} // namespace

namespace {

// The profile count the file gives, bounded by the sections it holds.
qint32 listCountOfSections(const IniFile& ini)
{
    const qint32 n = ini.readInteger(kSystemInfo, kNbItems, 0);
    return n > 0 ? boundedCount(n, ini.highestNumberedSection(kSystemInfoPrefix)) : 0;
}

} // namespace

namespace {

// Section SystemInfo_number into s.
void readProfile(const IniFile& ini, qint32 number, Profile& s)
{
    const QString sec = kSystemInfoPrefix + QString::number(number);
    const QString none;
    ini.readStringInto(sec, kID, none, s.id);
    s.borderWidth = ini.readInteger(sec, kBorderWidth, 1);
    ini.readStringInto(sec, kSystemTitle, none, s.systemTitle);
    ini.readStringInto(sec, kLansdscapePosition, none, s.landscapePosition);
    ini.readStringInto(sec, kSID, none, s.sid);
    ini.readStringInto(sec, kUsage1, none, s.usage1);
    ini.readStringInto(sec, kUsage2, none, s.usage2);
    ini.readStringInto(sec, kPictureFullPath, none, s.picturePath);
    s.pictureCenter = ini.readBool(sec, kPictureCenter, false);
    s.pictureStretch = ini.readBool(sec, kPictureStretch, false);
    ini.readStringInto(sec, kInfo1, none, s.info1);
    ini.readStringInto(sec, kInfo2, none, s.info2);
    ini.readStringInto(sec, kInfo3, none, s.info3);
    s.lastRefresh = ini.readDate(sec, kLastRefresh, 0);
    ini.readStringInto(sec, kSourceRefresh, none, s.refreshSource);
    ini.readStringInto(sec, kCommentRefresh, none, s.refreshComment);
}

} // namespace

ProfileList readProfiles(const IniFile& ini)
{
    qint32 n = ini.readInteger(kSystemInfo, kNbItems, 0);
    if (n < 0)
        throw AppError(QStringLiteral("Erreur de vérification d'étendue"));
    if (n > 0)
        n = boundedCount(n, ini.highestNumberedSection(kSystemInfoPrefix));
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

namespace {

void writeProfile(IniFile& ini, qint32 number, const Profile& s)
{
    const QString sec = kSystemInfoPrefix + QString::number(number);
    ini.writeString(sec, kID, s.id);
    ini.writeInteger(sec, kBorderWidth, s.borderWidth);
    ini.writeString(sec, kSystemTitle, s.systemTitle);
    ini.writeString(sec, kLansdscapePosition, s.landscapePosition);
    ini.writeString(sec, kSID, s.sid);
    ini.writeString(sec, kUsage1, s.usage1);
    ini.writeString(sec, kUsage2, s.usage2);
    ini.writeString(sec, kPictureFullPath, s.picturePath);
    ini.writeBool(sec, kPictureCenter, s.pictureCenter);
    ini.writeBool(sec, kPictureStretch, s.pictureStretch);
    ini.writeString(sec, kInfo1, s.info1);
    ini.writeString(sec, kInfo2, s.info2);
    ini.writeString(sec, kInfo3, s.info3);
    ini.writeDate(sec, kLastRefresh, s.lastRefresh);
    ini.writeString(sec, kSourceRefresh, s.refreshSource);
    ini.writeString(sec, kCommentRefresh, s.refreshComment);
}

} // namespace

QStringList readProfileIds(const IniFile& ini)
{
    if (ini.readInteger(kSystemInfo, kNbItems, 0) < 0)
        throw AppError(QStringLiteral("Erreur de vérification d'étendue"));
    const qint32 n = listCountOfSections(ini);
    QStringList ids;
    ids.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        ids.append(ini.readString(kSystemInfoPrefix + QString::number(i), kID, QString()));
    return ids;
}

void writeProfiles(IniFile& ini, const ProfileList& profiles)
{
    const qint32 before = listCountOfSections(ini);
    qint32 k = 0;
    for (const Profile& s : profiles)
        if (!s.id.isEmpty())
            writeProfile(ini, ++k, s);
    ini.writeInteger(kSystemInfo, kNbItems, k);
    // A deleted profile's data goes with it.
    for (qint32 i = k + 1; i <= before; ++i)
        ini.eraseSection(kSystemInfoPrefix + QString::number(i));
}

namespace {

QStringList descriptions(const LandscapeTypeList& types)
{
    QStringList names;
    names.reserve(types.size());
    for (const LandscapeType& t : types)
        names.append(t.name);
    return names;
}

LandscapeTypeList readLandscapeTypes(const IniFile& ini)
{
    const qint32 n = listCount(ini, kLandscapeType);
    LandscapeTypeList types;
    types.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        types.append({ini.readString(kLandscapeType, itemKey(i), QString()), storedColor(ini, i)});
    return types;
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

void ConfigStore::loadSystemTitles()
{
    loadSystemTitles(readFile());
}

void ConfigStore::loadSystemTitles(const IniFile& ini)
{
    ItemListUpdate update(m_systemTitles);
    m_systemTitles.clear();
    const QStringList items = readItems(ini, kSystemTitle);
    for (const QString& item : items)
        m_systemTitles.add(item);
    m_fileSystemTitles = m_systemTitles.items();
}

void ConfigStore::saveSystemTitles()
{
    const QStringList edited = m_systemTitles.items();
    const IniFile ini = modifyFile([&](IniFile& file) {
        writeItems(file, kSystemTitle,
                   mergeListEdit(m_fileSystemTitles, edited, readItems(file, kSystemTitle)));
    });
    loadSystemTitles(ini);
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
    loadCleanList(ini, kSID, m_sids);
    m_fileSids = m_sids.items();
    rebuildSourceSystems();
}

void ConfigStore::rebuildSourceSystems()
{
    QStringList sources = m_sids.items();
    sources.prepend(QString());
    m_sourceSystems.assign(sources);
}

void ConfigStore::saveSids()
{
    const QStringList edited = m_sids.items();
    const IniFile ini = modifyFile([&](IniFile& file) {
        ItemList merged(true);
        merged.assign(mergeListEdit(m_fileSids, edited, cleanItems(file, kSID, true)));
        writeItems(file, kSID, merged.items());
    });
    loadSids(ini);
}

void ConfigStore::loadLandscapeTypes()
{
    loadLandscapeTypes(readFile());
}

void ConfigStore::loadLandscapeTypes(const IniFile& ini)
{
    ItemListUpdate update(m_landscapeTypeNames);
    m_landscapeTypes = readLandscapeTypes(ini);
    m_fileLandscapeTypes = m_landscapeTypes;
    m_landscapeTypeNames.assign(descriptions(m_landscapeTypes));
    // Every stored colour, for positions that a profile adds past the list's end.
    const qint32 colours = ini.highestNumberedKey(kColor, kItemPrefix);
    m_storedColors.clear();
    m_storedColors.reserve(colours);
    for (qint32 i = 1; i <= colours; ++i)
        m_storedColors.append(storedColor(ini, i));
}

void ConfigStore::saveLandscapeTypes()
{
    const QStringList edited = m_landscapeTypeNames.items();
    const QStringList before = descriptions(m_fileLandscapeTypes);
    const IniFile ini = modifyFile([&](IniFile& file) {
        // The colours stay in their numbered places.
        writeItems(file, kLandscapeType,
                   mergeListEdit(before, edited, readItems(file, kLandscapeType)));
    });
    loadLandscapeTypes(ini);
}

void ConfigStore::saveLandscapeTypesAndColors()
{
    const LandscapeTypeList edited = m_landscapeTypes;
    const LandscapeTypeList before = m_fileLandscapeTypes;
    const IniFile ini = modifyFile([&](IniFile& file) {
        const LandscapeTypeList now = readLandscapeTypes(file);
        const QStringList names =
            mergeListEdit(descriptions(before), descriptions(edited), descriptions(now));
        const QHash<QString, Color> was = colourByName(before);
        const QHash<QString, Color> mine = colourByName(edited);
        const QHash<QString, Color> theirs = colourByName(now);
        const qint32 n = qint32(names.size());
        file.writeInteger(kLandscapeType, kNbItems, n);
        file.writeInteger(kColor, kNbItems, n);
        for (qint32 i = 1; i <= n; ++i) {
            const QString& name = names[i - 1];
            // The user's colour where the user chose one, else the one stored now.
            const auto m = mine.constFind(name);
            const auto w = was.constFind(name);
            const auto t = theirs.constFind(name);
            const bool chosen = m != mine.cend() && (w == was.cend() || *w != *m);
            const Color colour = chosen || t == theirs.cend() ? (m != mine.cend() ? *m : 0) : *t;
            file.writeString(kLandscapeType, itemKey(i), name);
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
    ItemListUpdate update(m_refreshComments);
    loadCleanList(ini, kRefreshComment, m_refreshComments);
    m_refreshComments.insert(0, QString());
    m_fileRefreshComments = m_refreshComments.items();
}

void ConfigStore::saveRefreshComments()
{
    const QStringList edited = m_refreshComments.items();
    const IniFile ini = modifyFile([&](IniFile& file) {
        QStringList now = cleanItems(file, kRefreshComment, false);
        now.prepend(QString());
        writeItems(file, kRefreshComment, mergeListEdit(m_fileRefreshComments, edited, now));
    });
    loadRefreshComments(ini);
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
    m_systemTitles.assignItems(other.systemTitles());
    m_sids.assignItems(other.sids());
    m_sourceSystems.assignItems(other.sourceSystems());
    m_landscapeTypeNames.assignItems(other.landscapeTypeNames());
    m_refreshComments.assignItems(other.refreshComments());
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

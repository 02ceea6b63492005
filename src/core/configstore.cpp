#include "configstore.h"

#include "apperror.h"
#include "configlock.h"
#include "inifile.h"
#include "listmerge.h"
#include "text.h"

#include <QHash>
#include <QSet>

#include <algorithm>

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

qint32 listCount(const TIniFile& ini, const QString& section)
{
    const qint32 n = ini.ReadInteger(section, kNbItems, 0);
    if (n <= 0)
        return 0;
    return boundedCount(n, ini.HighestNumberedKey(section, kItemPrefix));
}

void writeItems(TIniFile& ini, const QString& section, const QStringList& items)
{
    ini.WriteInteger(section, kNbItems, qint32(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        ini.WriteString(section, itemKey(qint32(i + 1)), items[i]);
}

// The items of a list section, as they stand.
QStringList readItems(const TIniFile& ini, const QString& section)
{
    const qint32 n = listCount(ini, section);
    QStringList items;
    items.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        items.append(ini.ReadString(section, itemKey(i), QString()));
    return items;
}

QStringList cleanItems(const TIniFile& ini, const QString& section, bool sorted)
{
    TItemList list(sorted);
    AppendCleanItems(list, readItems(ini, section));
    return list.Items();
}

void loadCleanList(const TIniFile& ini, const QString& section, TItemList& list)
{
    TItemListUpdate update(list);
    list.Clear();
    AppendCleanItems(list, readItems(ini, section));
}

TColor storedColor(const TIniFile& ini, qint32 number)
{
    return ini.ReadInteger(kColor, itemKey(number), 0);
}

} // namespace

namespace {

// The profile count the file gives, bounded by the sections it holds.
qint32 listCountOfSections(const TIniFile& ini)
{
    const qint32 n = ini.ReadInteger(kSystemInfo, kNbItems, 0);
    return n > 0 ? boundedCount(n, ini.HighestNumberedSection(kSystemInfoPrefix)) : 0;
}

} // namespace

tyArrSystemInfo ReadProfiles(const TIniFile& ini)
{
    qint32 n = ini.ReadInteger(kSystemInfo, kNbItems, 0);
    if (n < 0)
        throw EAppError(QStringLiteral("Erreur de vérification d'étendue"));
    if (n > 0)
        n = boundedCount(n, ini.HighestNumberedSection(kSystemInfoPrefix));
    tyArrSystemInfo profiles(n);
    const QString none;
    for (qint32 i = 1; i <= n; ++i) {
        const QString sec = kSystemInfoPrefix + QString::number(i);
        tySystemInfo& s = profiles[i - 1];
        ini.ReadStringInto(sec, kID, none, s.ID);
        s.BorderWidth = ini.ReadInteger(sec, kBorderWidth, 1);
        ini.ReadStringInto(sec, kSystemTitle, none, s.SystemTitle);
        ini.ReadStringInto(sec, kLansdscapePosition, none, s.LansdscapePosition);
        ini.ReadStringInto(sec, kSID, none, s.SID);
        ini.ReadStringInto(sec, kUsage1, none, s.Usage1);
        ini.ReadStringInto(sec, kUsage2, none, s.Usage2);
        ini.ReadStringInto(sec, kPictureFullPath, none, s.PictureFullPath);
        s.PictureCenter = ini.ReadBool(sec, kPictureCenter, false);
        s.PictureStretch = ini.ReadBool(sec, kPictureStretch, false);
        ini.ReadStringInto(sec, kInfo1, none, s.Info1);
        ini.ReadStringInto(sec, kInfo2, none, s.Info2);
        ini.ReadStringInto(sec, kInfo3, none, s.Info3);
        s.LastRefresh = ini.ReadDate(sec, kLastRefresh, 0);
        ini.ReadStringInto(sec, kSourceRefresh, none, s.SourceRefresh);
        ini.ReadStringInto(sec, kCommentRefresh, none, s.CommentRefresh);
    }
    return profiles;
}

namespace {

void writeProfile(TIniFile& ini, qint32 number, const tySystemInfo& s)
{
    const QString sec = kSystemInfoPrefix + QString::number(number);
    ini.WriteString(sec, kID, s.ID);
    ini.WriteInteger(sec, kBorderWidth, s.BorderWidth);
    ini.WriteString(sec, kSystemTitle, s.SystemTitle);
    ini.WriteString(sec, kLansdscapePosition, s.LansdscapePosition);
    ini.WriteString(sec, kSID, s.SID);
    ini.WriteString(sec, kUsage1, s.Usage1);
    ini.WriteString(sec, kUsage2, s.Usage2);
    ini.WriteString(sec, kPictureFullPath, s.PictureFullPath);
    ini.WriteBool(sec, kPictureCenter, s.PictureCenter);
    ini.WriteBool(sec, kPictureStretch, s.PictureStretch);
    ini.WriteString(sec, kInfo1, s.Info1);
    ini.WriteString(sec, kInfo2, s.Info2);
    ini.WriteString(sec, kInfo3, s.Info3);
    ini.WriteDate(sec, kLastRefresh, s.LastRefresh);
    ini.WriteString(sec, kSourceRefresh, s.SourceRefresh);
    ini.WriteString(sec, kCommentRefresh, s.CommentRefresh);
}

// The identifiers of the profiles the file holds; a negative count throws as
// ReadProfiles does.
QStringList readProfileIds(const TIniFile& ini)
{
    if (ini.ReadInteger(kSystemInfo, kNbItems, 0) < 0)
        throw EAppError(QStringLiteral("Erreur de vérification d'étendue"));
    const qint32 n = listCountOfSections(ini);
    QStringList ids;
    ids.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        ids.append(ini.ReadString(kSystemInfoPrefix + QString::number(i), kID, QString()));
    return ids;
}

} // namespace

void WriteProfiles(TIniFile& ini, const tyArrSystemInfo& profiles)
{
    const qint32 before = listCountOfSections(ini);
    qint32 k = 0;
    for (const tySystemInfo& s : profiles)
        if (!s.ID.isEmpty())
            writeProfile(ini, ++k, s);
    ini.WriteInteger(kSystemInfo, kNbItems, k);
    // A deleted profile's data goes with it.
    for (qint32 i = k + 1; i <= before; ++i)
        ini.EraseSection(kSystemInfoPrefix + QString::number(i));
}

namespace {

QStringList descriptions(const tyArrLandscapeType& types)
{
    QStringList names;
    names.reserve(types.size());
    for (const tyLandscapeType& t : types)
        names.append(t.Description);
    return names;
}

tyArrLandscapeType readLandscapeTypes(const TIniFile& ini)
{
    const qint32 n = listCount(ini, kLandscapeType);
    tyArrLandscapeType types;
    types.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        types.append({ini.ReadString(kLandscapeType, itemKey(i), QString()), storedColor(ini, i)});
    return types;
}

// The first colour of each name.
QHash<QString, TColor> colourByName(const tyArrLandscapeType& types)
{
    QHash<QString, TColor> colours;
    colours.reserve(types.size());
    for (const tyLandscapeType& t : types)
        if (!colours.contains(t.Description))
            colours.insert(t.Description, t.Color);
    return colours;
}

} // namespace

TIniFile TConfigStore::ReadFile() const
{
    const ConfigFileLock lock(FConfigFile, ConfigFileLock::Access::Read);
    if (const std::optional<QByteArray>& old = lock.contentBeforeInterruptedWrite())
        return TIniFile::fromBytes(*old);
    return TIniFile(FConfigFile);
}

TIniFile TConfigStore::modifyFile(const std::function<void(TIniFile&)>& change)
{
    for (bool mayLeaveCodePage = !confirmLeavingCodePage;;) {
        int codePage = 0;
        {
            const ConfigFileLock lock(FConfigFile, ConfigFileLock::Access::Write);
            TIniFile ini(FConfigFile);
            change(ini);
            if (mayLeaveCodePage || !ini.LeavesCodePage()) {
                ini.UpdateFile();
                return ini;
            }
            codePage = ini.CodePage();
        }
        // A misread code page would become permanent: the user decides, with no lock held.
        if (!confirmLeavingCodePage(codePage))
            return ReadFile();
        mayLeaveCodePage = true;
    }
}

void TConfigStore::LoadSystemInfos()
{
    loadSystemInfos(ReadFile());
}

void TConfigStore::loadSystemInfos(const TIniFile& ini)
{
    BusyScope busy(setBusy);
    TItemListUpdate update(cbxID);
    cbxID.Clear();
    try {
        FArrSystemInfo = ReadProfiles(ini);
    } catch (const EAppError&) {
        FArrSystemInfo.clear();
        FSystemInfoIdx = -1;
        throw;
    }
    const qint32 n = qint32(FArrSystemInfo.size());
    for (const tySystemInfo& s : std::as_const(FArrSystemInfo)) {
        cbxID.Add(s.ID);
        if (processEvents)
            processEvents();
    }
    FSystemInfoIdx = n - 1;
}

QString TConfigStore::MakeSystemInfoID(const QString& title, const QString& sid, TDateTime date)
{
    const QDate d = dateOf(date);
    return title + QStringLiteral("__") + sid + QStringLiteral("__") + QString::number(d.year()) +
           u'_' + QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0')) + u'_' +
           QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
}

qint32 TConfigStore::FindSystemInfo(const QString& id) const
{
    for (qsizetype i = 0; i < FArrSystemInfo.size(); ++i)
        if (FArrSystemInfo[i].ID == id)
            return qint32(i);
    return -1;
}

namespace {

// The profile of the file at index when it still has the identifier id there, else the
// first one with that identifier, else -1.
qint32 findProfile(const QStringList& ids, qint32 index, const QString& id)
{
    if (index >= 0 && index < ids.size() && ids[index] == id)
        return index;
    return qint32(ids.indexOf(id));
}

QStringList idsOf(const tyArrSystemInfo& profiles)
{
    QStringList ids;
    ids.reserve(profiles.size());
    for (const tySystemInfo& p : profiles)
        ids.append(p.ID);
    return ids;
}

} // namespace

void TConfigStore::StoreSystemInfo(const QString& id, const tySystemInfo& values)
{
    const qint32 current = FSystemInfoIdx;
    tySystemInfo stored = values;
    stored.ID = id;
    const TIniFile ini = [&] {
        BusyScope busy(setBusy);
        return modifyFile([&](TIniFile& file) {
            // The profiles as they are now: what others saved meanwhile stays.
            const QStringList ids = readProfileIds(file);
            if (!ids.contains(QString())) {
                // Every profile keeps its number: only this one's section is written.
                qint32 target = findProfile(ids, current, id);
                if (target < 0)
                    target = qint32(ids.size());
                writeProfile(file, target + 1, stored);
                file.WriteInteger(kSystemInfo, kNbItems,
                                  qint32(std::max(ids.size(), qsizetype(target) + 1)));
                return;
            }
            // Profiles without an identifier are dropped and the rest renumbered.
            tyArrSystemInfo profiles = ReadProfiles(file);
            qint32 target = findProfile(idsOf(profiles), current, id);
            if (target < 0) {
                profiles.append(tySystemInfo{});
                target = qint32(profiles.size() - 1);
            }
            profiles[target] = stored;
            WriteProfiles(file, profiles);
        });
    }();
    loadSystemInfos(ini);
}

void TConfigStore::DeleteSystemInfo(qint32 index)
{
    if (index < 0 || index >= FArrSystemInfo.size())
        return;
    const QString id = FArrSystemInfo[index].ID;
    const TIniFile ini = [&] {
        BusyScope busy(setBusy);
        return modifyFile([&](TIniFile& file) {
            tyArrSystemInfo profiles = ReadProfiles(file);
            const qint32 target = findProfile(idsOf(profiles), index, id);
            if (target < 0)
                return; // gone already
            profiles[target].ID.clear();
            WriteProfiles(file, profiles);
        });
    }();
    loadSystemInfos(ini);
}

void TConfigStore::LoadSystemTitles()
{
    loadSystemTitles(ReadFile());
}

void TConfigStore::loadSystemTitles(const TIniFile& ini)
{
    TItemListUpdate update(cbxSystemTitle);
    cbxSystemTitle.Clear();
    const QStringList items = readItems(ini, kSystemTitle);
    for (const QString& item : items)
        cbxSystemTitle.Add(item);
    m_fileSystemTitles = cbxSystemTitle.Items();
}

void TConfigStore::SaveSystemTitles()
{
    const QStringList edited = cbxSystemTitle.Items();
    const TIniFile ini = modifyFile([&](TIniFile& file) {
        writeItems(file, kSystemTitle,
                   mergeListEdit(m_fileSystemTitles, edited, readItems(file, kSystemTitle)));
    });
    loadSystemTitles(ini);
}

void AppendCleanItems(TItemList& list, const QStringList& items)
{
    TItemListUpdate update(list);
    // A few items, as when a profile adds one: the list's own search costs less than
    // folding every item into a set.
    if (items.size() <= 8) {
        for (const QString& raw : items) {
            const QString item = trimText(raw);
            if (!item.isEmpty() && list.IndexOf(item) < 0)
                list.Add(item);
        }
        return;
    }
    QSet<QString> present;
    if (list.Count() > 0) {
        const QStringList existing = list.Items();
        present.reserve(existing.size() + items.size());
        for (const QString& item : existing)
            present.insert(TItemList::FoldKey(item));
    }
    for (const QString& raw : items) {
        const QString item = trimText(raw);
        if (item.isEmpty())
            continue;
        const QString key = TItemList::FoldKey(item);
        if (present.contains(key))
            continue;
        present.insert(key);
        list.Add(item);
    }
}

void TConfigStore::LoadSIDs()
{
    loadSIDs(ReadFile());
}

void TConfigStore::loadSIDs(const TIniFile& ini)
{
    loadCleanList(ini, kSID, cbxSID);
    m_fileSIDs = cbxSID.Items();
    RebuildSourceSystems();
}

void TConfigStore::RebuildSourceSystems()
{
    QStringList sources = cbxSID.Items();
    sources.prepend(QString());
    cbxSourceSystem.Assign(sources);
}

void TConfigStore::SaveSIDs()
{
    const QStringList edited = cbxSID.Items();
    const TIniFile ini = modifyFile([&](TIniFile& file) {
        TItemList merged(true);
        merged.Assign(mergeListEdit(m_fileSIDs, edited, cleanItems(file, kSID, true)));
        writeItems(file, kSID, merged.Items());
    });
    loadSIDs(ini);
}

void TConfigStore::LoadLandscapeTypes()
{
    loadLandscapeTypes(ReadFile());
}

void TConfigStore::loadLandscapeTypes(const TIniFile& ini)
{
    TItemListUpdate update(cbxLandscapeType);
    FArrLandscapeType = readLandscapeTypes(ini);
    m_fileLandscapeTypes = FArrLandscapeType;
    cbxLandscapeType.Assign(descriptions(FArrLandscapeType));
    // Every stored colour, for positions that a profile adds past the list's end.
    const qint32 colours = ini.HighestNumberedKey(kColor, kItemPrefix);
    m_storedColors.clear();
    m_storedColors.reserve(colours);
    for (qint32 i = 1; i <= colours; ++i)
        m_storedColors.append(storedColor(ini, i));
}

void TConfigStore::SaveLandscapeTypes()
{
    const QStringList edited = cbxLandscapeType.Items();
    const QStringList before = descriptions(m_fileLandscapeTypes);
    const TIniFile ini = modifyFile([&](TIniFile& file) {
        // The colours stay in their numbered places.
        writeItems(file, kLandscapeType,
                   mergeListEdit(before, edited, readItems(file, kLandscapeType)));
    });
    loadLandscapeTypes(ini);
}

void TConfigStore::SaveLandscapeTypesAndColors()
{
    const tyArrLandscapeType edited = FArrLandscapeType;
    const tyArrLandscapeType before = m_fileLandscapeTypes;
    const TIniFile ini = modifyFile([&](TIniFile& file) {
        const tyArrLandscapeType now = readLandscapeTypes(file);
        const QStringList names =
            mergeListEdit(descriptions(before), descriptions(edited), descriptions(now));
        const QHash<QString, TColor> was = colourByName(before);
        const QHash<QString, TColor> mine = colourByName(edited);
        const QHash<QString, TColor> theirs = colourByName(now);
        const qint32 n = qint32(names.size());
        file.WriteInteger(kLandscapeType, kNbItems, n);
        file.WriteInteger(kColor, kNbItems, n);
        for (qint32 i = 1; i <= n; ++i) {
            const QString& name = names[i - 1];
            // The user's colour where the user chose one, else the one stored now.
            const auto m = mine.constFind(name);
            const auto w = was.constFind(name);
            const auto t = theirs.constFind(name);
            const bool chosen = m != mine.cend() && (w == was.cend() || *w != *m);
            const TColor colour = chosen || t == theirs.cend() ? (m != mine.cend() ? *m : 0) : *t;
            file.WriteString(kLandscapeType, itemKey(i), name);
            file.WriteInteger(kColor, itemKey(i), colour);
        }
    });
    loadLandscapeTypes(ini);
}

void TConfigStore::LoadRefreshComments()
{
    loadRefreshComments(ReadFile());
}

void TConfigStore::loadRefreshComments(const TIniFile& ini)
{
    TItemListUpdate update(cbxRefreshComment);
    loadCleanList(ini, kRefreshComment, cbxRefreshComment);
    cbxRefreshComment.Insert(0, QString());
    m_fileRefreshComments = cbxRefreshComment.Items();
}

void TConfigStore::SaveRefreshComments()
{
    const QStringList edited = cbxRefreshComment.Items();
    const TIniFile ini = modifyFile([&](TIniFile& file) {
        QStringList now = cleanItems(file, kRefreshComment, false);
        now.prepend(QString());
        writeItems(file, kRefreshComment, mergeListEdit(m_fileRefreshComments, edited, now));
    });
    loadRefreshComments(ini);
}

TColor TConfigStore::GetLandscapeTypeColor(const QString& name) const
{
    return ::GetLandscapeTypeColor(FArrLandscapeType, name);
}

TColor TConfigStore::StoredLandscapeColor(qint32 number) const
{
    return number >= 1 && number <= m_storedColors.size() ? m_storedColors[number - 1] : 0;
}

void TConfigStore::CopyListsFrom(const TConfigStore& other)
{
    FConfigFile = other.FConfigFile;
    FArrLandscapeType = other.FArrLandscapeType;
    m_storedColors = other.m_storedColors;
    cbxSystemTitle.AssignItems(other.cbxSystemTitle);
    cbxSID.AssignItems(other.cbxSID);
    cbxSourceSystem.AssignItems(other.cbxSourceSystem);
    cbxLandscapeType.AssignItems(other.cbxLandscapeType);
    cbxRefreshComment.AssignItems(other.cbxRefreshComment);
}

void TConfigStore::LoadAll()
{
    LoadAllFrom(ReadFile());
}

void TConfigStore::LoadAllFrom(const TIniFile& ini)
{
    loadSystemTitles(ini);
    loadLandscapeTypes(ini);
    loadSIDs(ini);
    loadSystemInfos(ini);
    loadRefreshComments(ini);
}

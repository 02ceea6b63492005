// Loading and saving many profiles through the store, without a GUI.
//
// The load of 100,000 profiles with every key filled (a 32 MB file, as
// bench/make_config.sh writes it) is linear in the file: the accessor reads it once into
// one buffer and keeps 8 bytes for each header and key line; the store then makes the
// profiles' values. Counters: file_MB, and peak_MB, the growth of the resident set's
// peak during the load (from /proc/self/status), which tavelorn-export --list keeps
// within 2 x the file's size.
#include "codepage.h"
#include "configstore.h"
#include "fileidentity.h"
#include "inifile.h"
#include "itemlist.h"
#include "procstatus.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

#include <malloc.h>

using namespace tavelorn;

using namespace benchsupport;

namespace {

ProfileList makeProfiles(int n)
{
    static const char* titles[] = {"SAP ERP 6.0 EHP7", "SAP S/4HANA 2023", "SAP BW/4HANA 2.0",
                                   "SAP Solution Manager 7.2"};
    static const char* positions[] = {"DEV", "QAS", "PRD", "SBX"};
    QRandomGenerator rng(42);
    ProfileList out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        Profile s;
        s.systemTitle = QString::fromLatin1(titles[rng.bounded(4)]);
        s.landscapePosition = QString::fromLatin1(positions[rng.bounded(4)]);
        s.sid = QStringLiteral("S%1").arg(rng.bounded(1000), 3, 10, QLatin1Char('0'));
        const SerialDate date = fromQDate(QDate(2020, 1, 1).addDays(rng.bounded(1500)));
        s.id =
            ConfigStore::makeProfileId(s.systemTitle, s.sid, date) + QStringLiteral("_%1").arg(i);
        s.borderWidth = int(rng.bounded(11));
        s.usage1 = QStringLiteral("Development system for the finance team");
        s.usage2 = QStringLiteral("Client 100");
        s.picturePath = QStringLiteral("/home/user/Pictures/background-%1.jpg").arg(i % 7);
        s.pictureCenter = i % 2;
        s.pictureStretch = i % 3 == 0;
        s.info1 = QStringLiteral("Do not change customizing here");
        s.info3 = QStringLiteral("Contact: basis team");
        if (i % 2) {
            s.lastRefresh = date;
            s.refreshSource = QStringLiteral("PRD");
            s.refreshComment = QStringLiteral("Monthly refresh");
        }
        out.append(s);
    }
    return out;
}

// The Config.ini of bench/make_config.sh: n profiles with every key filled.
bool writeFullProfiles(const QString& file, int n)
{
    static const char* const titles[] = {"SAP ERP 6.0 EHP7", "SAP S/4HANA 2023", "SAP BW/4HANA 2.0",
                                         "SAP Solution Manager 7.2"};
    static const char* const positions[] = {"DEV", "QAS", "PRD", "SBX"};
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray out = "[SystemInfo]\nNbItems=" + QByteArray::number(n) + '\n';
    const auto two = [](int v) { return QByteArray::number(v).rightJustified(2, '0'); };
    for (int i = 1; i <= n; ++i) {
        const QByteArray title = titles[i % 4];
        const QByteArray sid = 'S' + QByteArray::number(i % 1000).rightJustified(3, '0');
        const QByteArray day = two(i % 28 + 1);
        const QByteArray month = two(i % 12 + 1);
        const QByteArray number = QByteArray::number(i);
        out += "[SystemInfo_" + number + "]\nID=" + title + "__" + sid + "__2024_" + month + '_' +
               day + '_' + number + "\nBorderWidth=" + QByteArray::number(i % 11) +
               "\nSystemTitle=" + title + "\nLansdscapePosition=" + positions[i % 4] +
               "\nSID=" + sid + "\nUsage1=Finance\nUsage2=Cl " + QByteArray::number(100 + i % 900) +
               "\nPictureFullPath=/srv/pics/bg-" + QByteArray::number(i % 7) +
               ".jpg\nPictureCenter=" + QByteArray::number(i % 2) +
               "\nPictureStretch=" + (i % 3 == 0 ? "1" : "0") +
               "\nInfo1=Keep\nInfo2=Basis\nInfo3=Monthly\nLastRefresh=" + day + '/' + month +
               "/2024\nSourceRefresh=PRD\nCommentRefresh=Copy\n";
        if (out.size() > (1 << 20)) {
            if (f.write(out) != out.size())
                return false;
            out.clear();
        }
    }
    return f.write(out) == out.size();
}

// Measures the growth of the resident set's peak over a run of the benchmark's loop.
class PeakMemory
{
public:
    PeakMemory()
    {
        malloc_trim(0);
        m_before = statusBytes("VmRSS");
        m_valid = resetPeak();
    }
    // Sets the counters file_MB and peak_MB.
    void report(benchmark::State& state, const QString& file) const
    {
        constexpr double kMiB = 1024.0 * 1024.0;
        state.counters["file_MB"] = double(QFile(file).size()) / kMiB;
        if (m_valid)
            state.counters["peak_MB"] = double(statusBytes("VmHWM") - m_before) / kMiB;
    }

private:
    qint64 m_before = 0;
    bool m_valid = false;
};

// Writes profiles as the whole profile list of file.
void writeProfiles(const QString& file, const ProfileList& profiles)
{
    IniFile ini(file);
    writeProfiles(ini, profiles);
    ini.save();
}

// Reloading over the profiles already held, as after every store or delete.
void BM_LoadProfiles(benchmark::State& state)
{
    QTemporaryDir dir;
    ConfigStore store(dir.filePath("Config.ini"));
    writeProfiles(store.filePath(), makeProfiles(int(state.range(0))));
    store.setProcessEvents([] {});
    store.setBusyHandler([](bool) {});
    for (auto _ : state) {
        store.loadProfiles();
        benchmark::DoNotOptimize(store.currentProfileIndex());
    }
    if (store.currentProfileIndex() != state.range(0) - 1)
        state.SkipWithError("wrong profile count");
    state.SetComplexityN(state.range(0));
}

// The first load of a run: an empty store.
void BM_LoadProfilesIntoEmptyStore(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Config.ini");
    {
        writeProfiles(file, makeProfiles(int(state.range(0))));
    }
    std::optional<ConfigStore> store;
    for (auto _ : state) {
        state.PauseTiming();
        store.reset();
        store.emplace(file);
        store->setProcessEvents([] {});
        store->setBusyHandler([](bool) {});
        state.ResumeTiming();
        store->loadProfiles();
        benchmark::DoNotOptimize(store->currentProfileIndex());
    }
    if (store->currentProfileIndex() != state.range(0) - 1)
        state.SkipWithError("wrong profile count");
    state.SetComplexityN(state.range(0));
}

// Writing the whole profile list into a file that does not exist yet: every section and
// key is new.
void BM_SaveProfilesNewFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Config.ini");
    const ProfileList profiles = makeProfiles(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(file);
        state.ResumeTiming();
        writeProfiles(file, profiles);
    }
    state.SetComplexityN(state.range(0));
}

// Writing the whole profile list over the previous one after every profile changed:
// every value is replaced.
void BM_SaveProfilesChanged(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Config.ini");
    ProfileList profiles = makeProfiles(int(state.range(0)));
    writeProfiles(file, profiles);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (Profile& s : profiles)
            s.usage2 = QStringLiteral("Client %1").arg(round);
        state.ResumeTiming();
        writeProfiles(file, profiles);
    }
    state.SetComplexityN(state.range(0));
}

// The window's Save among n profiles: under the file's lock, re-read the file, replace
// the one profile, write, reload the profiles and the selector.
void BM_StoreOneProfile(benchmark::State& state)
{
    QTemporaryDir dir;
    ConfigStore store(dir.filePath("Config.ini"));
    writeProfiles(store.filePath(), makeProfiles(int(state.range(0))));
    store.setProcessEvents([] {});
    store.setBusyHandler([](bool) {});
    store.loadAll();
    Profile changed = store.profiles()[qsizetype(state.range(0) / 2)];
    int round = 0;
    for (auto _ : state) {
        changed.usage2 = QStringLiteral("Client %1").arg(++round);
        store.storeProfile(changed.id, changed);
    }
    if (store.profiles().size() != state.range(0))
        state.SkipWithError("wrong profile count");
    state.SetComplexityN(state.range(0));
}

// The same Save of a profile the window applied: only the changed field goes onto the
// profile as the file holds it now.
void BM_StoreOneProfileMerged(benchmark::State& state)
{
    QTemporaryDir dir;
    ConfigStore store(dir.filePath("Config.ini"));
    writeProfiles(store.filePath(), makeProfiles(int(state.range(0))));
    store.setProcessEvents([] {});
    store.setBusyHandler([](bool) {});
    store.loadAll();
    const Profile base = store.profiles()[qsizetype(state.range(0) / 2)];
    Profile changed = base;
    int round = 0;
    for (auto _ : state) {
        changed.usage2 = QStringLiteral("Client %1").arg(++round);
        store.storeProfile(changed.id, changed, base);
    }
    if (store.profiles().size() != state.range(0))
        state.SkipWithError("wrong profile count");
    state.SetComplexityN(state.range(0));
}

// The first load of the window's profiles, lists and selector from a file of n profiles
// with every key filled, into an empty store (the store goes after each iteration, so
// the peak is one load's).
void BM_LoadFullProfiles(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Config.ini");
    if (!writeFullProfiles(file, int(state.range(0))))
        state.SkipWithError("cannot write the file");
    qint32 current = -1;
    const PeakMemory peak;
    for (auto _ : state) {
        ConfigStore store(file);
        store.setProcessEvents([] {});
        store.setBusyHandler([](bool) {});
        store.loadAll();
        current = store.currentProfileIndex();
    }
    peak.report(state, file);
    if (current != state.range(0) - 1)
        state.SkipWithError("wrong profile count");
    state.SetComplexityN(state.range(0));
}

// What tavelorn-export --list reads: the file, then the profiles' identifiers.
void BM_ListProfileIds(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Config.ini");
    if (!writeFullProfiles(file, int(state.range(0))))
        state.SkipWithError("cannot write the file");
    const ConfigStore store(file);
    qsizetype count = 0;
    const PeakMemory peak;
    for (auto _ : state)
        count = readProfileIds(store.readFile()).size();
    peak.report(state, file);
    if (count != state.range(0))
        state.SkipWithError("wrong profile count");
    state.SetComplexityN(state.range(0));
}

// What the window's watcher does every tick: one stat of Config.ini, whatever it holds.
void BM_ConfigFileCheck(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Config.ini");
    writeProfiles(path, makeProfiles(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(FileIdentity::of(path));
}

QString textOfCodePage(int codePage)
{
    return codePage == 932    ? QStringLiteral("開発システム（財務）")
           : codePage == 1251 ? QStringLiteral("Система разработки")
                              : QStringLiteral("Système de développement");
}

// Config.ini of n profiles as Windows writes it: CRLF, in an ANSI code page, with a
// text of that page's language in every profile.
bool writeCodePageFile(const QString& file, int codePage, int n)
{
    const QString local = textOfCodePage(codePage);
    qunsetenv("TAVELORN_CODEPAGE"); // the writer makes UTF-8, converted below
    {
        ProfileList profiles = makeProfiles(n);
        for (Profile& s : profiles)
            s.usage1 = local;
        writeProfiles(file, profiles);
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QString text = QString::fromUtf8(f.readAll());
    text.replace(u'\n', QStringLiteral("\r\n"));
    QByteArray bytes;
    if (!CodePageCodec(codePage).encode(text, bytes))
        return false;
    f.resize(0);
    f.write(bytes);
    qputenv("TAVELORN_CODEPAGE", QByteArray::number(codePage));
    return true;
}

// A store on the code-page file of state.range(0) profiles in code page state.range(1).
void openCodePageStore(ConfigStore& store, benchmark::State& state)
{
    if (!writeCodePageFile(store.filePath(), int(state.range(1)), int(state.range(0))))
        state.SkipWithError("no code-page file");
    store.setProcessEvents([] {});
    store.setBusyHandler([](bool) {});
}

// Reloading profiles from a code-page file; arguments: profiles, code page.
void BM_LoadProfilesCodePage(benchmark::State& state)
{
    QTemporaryDir dir;
    ConfigStore store(dir.filePath("Config.ini"));
    openCodePageStore(store, state);
    for (auto _ : state) {
        store.loadProfiles();
        benchmark::DoNotOptimize(store.currentProfileIndex());
    }
    if (store.currentProfileIndex() != state.range(0) - 1 ||
        store.profiles()[0].usage1 != textOfCodePage(int(state.range(1))))
        state.SkipWithError("wrong profiles");
    state.SetComplexityN(state.range(0));
}

// Saving into a code-page file after every profile changed: every value line is
// written in the code page, every other line keeps its bytes.
void BM_SaveProfilesCodePageChanged(benchmark::State& state)
{
    QTemporaryDir dir;
    ConfigStore store(dir.filePath("Config.ini"));
    openCodePageStore(store, state);
    store.loadProfiles();
    ProfileList profiles = store.profiles();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (Profile& s : profiles) {
            s.usage1 = s.usage1.left(6) + QString::number(round);
            s.usage2 = QStringLiteral("Client %1").arg(round);
        }
        state.ResumeTiming();
        writeProfiles(store.filePath(), profiles);
    }
    QFile f(store.filePath());
    if (!f.open(QIODevice::ReadOnly) || f.read(2) == "\xFF\xFE")
        state.SkipWithError("the file left its code page");
    state.SetComplexityN(state.range(0));
}

// The profile selector's sort alone, through one update as a load fills it. Plain
// identifiers are ordered by folded code units and confirmed by the collator; accented
// ones (range 1) take the collator's own n log n sort.
void BM_SortedItemList(benchmark::State& state)
{
    const int n = int(state.range(0));
    const ProfileList profiles = makeProfiles(n);
    // "Écran" sorts before "Ecrit" by collation, after it by code units.
    const QString accented[] = {QStringLiteral("Écran "), QStringLiteral("Ecrit ")};
    QStringList ids;
    for (qsizetype i = 0; i < profiles.size(); ++i)
        ids << (state.range(1) ? accented[i % 2] + profiles[i].id : profiles[i].id);
    ItemList list(true);
    for (auto _ : state) {
        {
            ItemListUpdate update(list);
            list.clear();
            for (const QString& id : ids)
                list.add(id);
        }
        benchmark::DoNotOptimize(list.count());
    }
    state.SetComplexityN(n);
}

} // namespace

BENCHMARK(BM_SortedItemList)->ArgsProduct({{1000, 10000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProfiles)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_LoadProfilesIntoEmptyStore)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_SaveProfilesNewFile)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_StoreOneProfile)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_StoreOneProfileMerged)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_LoadFullProfiles)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_ListProfileIds)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_ConfigFileCheck)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveProfilesChanged)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_LoadProfilesCodePage)
    ->Args({1000, 1252})
    ->Args({10000, 1252})
    ->Args({10000, 1251})
    ->Args({10000, 932})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveProfilesCodePageChanged)
    ->Args({1000, 1252})
    ->Args({10000, 1252})
    ->Args({10000, 1251})
    ->Args({10000, 932})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

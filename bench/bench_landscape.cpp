// Landscape files: reading them, and tavelorn-export --landscape against --all of the
// equivalent saved profiles, both run as the real command.
#include "datetime.h"
#include "landscape.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

#include <sys/resource.h>

using namespace tavelorn;

namespace {

const char* const kPositions[] = {"DEV", "QAS", "PRD"};

QByteArray sidOf(int i)
{
    // Three characters, distinct for the first 36^3 systems.
    const QByteArray digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    return QByteArray(1, digits[(i / 1296) % 36]) + digits[(i / 36) % 36] + digits[i % 36];
}

// services services, every (services / systems)-th of them an SAP GUI system with a SID,
// the others of other types; each system filed in a folder named after its position.
QByteArray makeLandscape(int services, int systems)
{
    QByteArray items;
    QByteArray list;
    const int every = services / systems;
    for (int i = 0; i < services; ++i) {
        const QByteArray uuid = "u" + QByteArray::number(i);
        if (i % every == 0) {
            const int n = i / every;
            list += "<Service type=\"SAPGUI\" uuid=\"" + uuid + "\" name=\"System " +
                    QByteArray::number(n) + "\" systemid=\"" + sidOf(n) +
                    "\" description=\"Business system\" server=\"host:3200\"/>\n";
            items += QByteArray("<Node name=\"") + kPositions[n % 3] + "\"><Item serviceid=\"" +
                     uuid + "\"/></Node>\n";
        } else {
            list += "<Service type=\"HTTP\" uuid=\"" + uuid + "\" name=\"Web " +
                    QByteArray::number(i) + "\" url=\"https://host/\"/>\n";
        }
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Landscape>\n<Workspaces><Workspace "
           "name=\"Local\">\n" +
           items + "</Workspace></Workspaces>\n<Services>\n" + list + "</Services>\n</Landscape>\n";
}

QByteArray profileSection(int number, const QByteArray& id, const QByteArray& title,
                          const QByteArray& position, const QByteArray& sid, const QByteArray& date)
{
    return "[SystemInfo_" + QByteArray::number(number) + "]\nID=" + id +
           "\nBorderWidth=2\nSystemTitle=" + title + "\nLansdscapePosition=" + position +
           "\nSID=" + sid +
           "\nUsage1=Managed by Basis\nUsage2=Client 100\nInfo1=No transports on Fridays"
           "\nLastRefresh=" +
           date + "\nSourceRefresh=PRD\nCommentRefresh=Monthly\n";
}

// The lists, the template and, with saved, the profiles the landscape's systems make.
QByteArray makeConfig(int systems, bool saved)
{
    const QByteArray date = QDate(2024, 3, 5).toString(shortDateFormat()).toUtf8();
    QByteArray c = "[LandscapeType]\nNbItems=3\nItem_1=DEV\nItem_2=QAS\nItem_3=PRD\n"
                   "[Color]\nNbItems=3\nItem_1=16711680\nItem_2=32768\nItem_3=255\n"
                   "[SystemInfo]\nNbItems=" +
                   QByteArray::number(saved ? systems : 1) + '\n';
    if (!saved)
        return c + profileSection(1, "Template", "Template", "Sandbox", "TPL", date);
    for (int n = 0; n < systems; ++n)
        c += profileSection(n + 1, "P" + QByteArray::number(n), "System " + QByteArray::number(n),
                            kPositions[n % 3], sidOf(n), date);
    return c;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
}

// readLandscapes over one file of range(0) services, a tenth of them systems.
void BM_ReadLandscape(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SAPUILandscape.xml"));
    writeFile(path, makeLandscape(int(state.range(0)), int(state.range(0) / 10)));
    for (auto _ : state)
        benchmark::DoNotOptimize(readLandscapes({path}));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadLandscape)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// CPU time (user and system) of the children waited for so far, in nanoseconds.
double childrenCpuNs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ns = [](const timeval& t) {
        return double(t.tv_sec) * 1e9 + double(t.tv_usec) * 1e3;
    };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// Runs the command; returns its wall time and adds its CPU time to cpuNs.
qint64 runExport(const QStringList& args, double& cpuNs)
{
    const double cpuBefore = childrenCpuNs();
    QProcess proc;
    proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    proc.start(QStringLiteral(TAVELORN_EXPORT), args);
    if (!proc.waitForFinished(-1) || proc.exitStatus() != QProcess::NormalExit ||
        proc.exitCode() != 0) {
        std::fprintf(stderr, "tavelorn-export failed\n");
        std::abort();
    }
    const qint64 wall = timer.nsecsElapsed();
    cpuNs += childrenCpuNs() - cpuBefore;
    return wall;
}

// tavelorn-export --landscape of 10,000 services, 1,000 of them systems, and --all of the
// 1,000 equivalent saved profiles, alternately so that both see the same machine load.
// The time is the landscape's wall time; the counters give both commands' wall and CPU
// times and their ratios.
void BM_LandscapeAgainstAll(benchmark::State& state)
{
    const int services = int(state.range(0));
    const int systems = int(state.range(1));
    QTemporaryDir dir;
    const QString landscape = dir.filePath(QStringLiteral("SAPUILandscape.xml"));
    const QString templateConfig = dir.filePath(QStringLiteral("Template.ini"));
    const QString savedConfig = dir.filePath(QStringLiteral("Saved.ini"));
    writeFile(landscape, makeLandscape(services, systems));
    writeFile(templateConfig, makeConfig(systems, false));
    writeFile(savedConfig, makeConfig(systems, true));
    double landscapeNs = 0;
    double allNs = 0;
    double landscapeCpuNs = 0;
    double allCpuNs = 0;
    int round = 0;
    const QStringList allArgs = {QStringLiteral("--config"), savedConfig, QStringLiteral("--all"),
                                 QStringLiteral("--output-dir"), dir.filePath(QStringLiteral("a"))};
    const QStringList landscapeArgs = {
        QStringLiteral("--config"),       templateConfig,
        QStringLiteral("--landscape"),    landscape,
        QStringLiteral("--template"),     QStringLiteral("Template"),
        QStringLiteral("--all"),          QStringLiteral("--output-dir"),
        dir.filePath(QStringLiteral("l"))};
    for (auto _ : state) {
        // Each goes first every other round: the disk still writing back the pictures of
        // the one before slows the second.
        qint64 all = 0;
        qint64 mine = 0;
        if (round++ % 2 == 0) {
            all = runExport(allArgs, allCpuNs);
            mine = runExport(landscapeArgs, landscapeCpuNs);
        } else {
            mine = runExport(landscapeArgs, landscapeCpuNs);
            all = runExport(allArgs, allCpuNs);
        }
        state.SetIterationTime(double(mine) / 1e9);
        landscapeNs += double(mine);
        allNs += double(all);
        QDir(dir.filePath(QStringLiteral("a"))).removeRecursively();
        QDir(dir.filePath(QStringLiteral("l"))).removeRecursively();
    }
    state.counters["all_ms"] = allNs / 1e6 / round;
    state.counters["landscape_ms"] = landscapeNs / 1e6 / round;
    state.counters["ratio"] = landscapeNs / allNs;
    // CPU time, which the load of a shared machine disturbs less than the wall time.
    state.counters["all_cpu_ms"] = allCpuNs / 1e6 / round;
    state.counters["landscape_cpu_ms"] = landscapeCpuNs / 1e6 / round;
    state.counters["cpu_ratio"] = landscapeCpuNs / allCpuNs;
}
BENCHMARK(BM_LandscapeAgainstAll)
    ->Args({10000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(6);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

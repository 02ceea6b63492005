// Peak memory and time of reading Config.ini files of several shapes, through the INI
// accessor alone and through the store's start-up load. The bound: peak memory at most
// 4 x the file's size + 50 MB; a run above it is reported as an error.
//
// Counters: file_MB (size of the file), peak_MB (growth of the resident set's peak while
// reading, measured through /proc/self/status after clearing the peak) and x_size
// (peak_MB / file_MB).
#include "configstore.h"
#include "inifile.h"
#include "procstatus.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>

#include <malloc.h>

using namespace tavelorn;

using namespace benchsupport;

namespace {

constexpr qint64 kMiB = 1024 * 1024;

// Appends line i to out; false when there is none.
using LineMaker = std::function<bool(qint64 i, QByteArray& out)>;

// Writes head, then lines until they end or the file reaches size bytes.

bool writeFile(const QString& path, const QByteArray& head, qint64 size, const LineMaker& line)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray chunk = head;
    qint64 written = 0;
    for (qint64 i = 0; written + chunk.size() < size && line(i, chunk); ++i) {
        if (chunk.size() >= kMiB) {
            written += f.write(chunk);
            chunk.clear();
        }
    }
    written += f.write(chunk);
    return written > 0;
}

struct FileShape
{
    QByteArray head;
    LineMaker line;
};

constexpr qint64 kFileSize = 64 * kMiB;

// Lines that repeat one text.
LineMaker repeat(const QByteArray& text)
{
    return [text](qint64, QByteArray& o) {
        o += text;
        return true;
    };
}

FileShape shape(const std::string& name)
{
    if (name == "empty_lines")
        return {"[S]\nK=v\n", repeat("\n")};
    if (name == "bracket_lines")
        return {"", repeat("[\n")};
    if (name == "long_value")
        return {"[S]\nK=", repeat(QByteArray(4096, 'x'))};
    if (name == "duplicate_keys")
        return {"[S]\n", repeat("k=\n")};
    if (name == "distinct_keys")
        return {"[S]\n", [](qint64 i, QByteArray& o) {
                    o += 'k' + QByteArray::number(i, 36) + "=\n";
                    return true;
                }};
    if (name == "distinct_sections")
        return {"", [](qint64 i, QByteArray& o) {
                    o += "[s" + QByteArray::number(i, 36) + "]\n";
                    return true;
                }};
    if (name == "keys_between_comments")
        return {"[S]\n", [](qint64 i, QByteArray& o) {
                    o += "\n; note\nItem_" + QByteArray::number(i) + "=x\n";
                    return true;
                }};
    // 100,000 profiles as the store writes them (about 45 MB).
    return {"[SystemInfo]\nNbItems=100000\n", [](qint64 i, QByteArray& o) {
                if (i >= 100000)
                    return false;
                const QByteArray n = QByteArray::number(i + 1);
                o += "[SystemInfo_" + n + "]\nID=SAP ERP 6.0 EHP7__D" + n +
                     "__2024_03_03\nBorderWidth=3\nSystemTitle=SAP ERP 6.0 EHP7\n"
                     "LansdscapePosition=DEV\nSID=D" +
                     n.right(2) +
                     "\nUsage1=Development system\nUsage2=\n"
                     "PictureFullPath=/home/me/Pictures/band.bmp\nPictureCenter=1\n"
                     "PictureStretch=0\nInfo1=Do not use for production data\nInfo2=\nInfo3=\n"
                     "LastRefresh=03/03/2024\nSourceRefresh=QAS\nCommentRefresh=Copy of "
                     "production\n";
                return true;
            }};
}

void BM_ReadPeakMemory(benchmark::State& state, const std::string& name, bool throughStore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    const FileShape s = shape(name);
    if (!writeFile(path, s.head, kFileSize, s.line)) {
        state.SkipWithError("cannot write the file");
        return;
    }
    const qint64 size = QFile(path).size();
    qint64 peak = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const qint64 before = statusBytes("VmRSS");
        if (!resetPeak()) {
            state.SkipWithError("cannot clear the peak (/proc/self/clear_refs)");
            return;
        }
        if (throughStore) {
            ConfigStore store(path);
            store.setProcessEvents([] {});
            store.setBusyHandler([](bool) {});
            store.loadAll();
            benchmark::DoNotOptimize(store.currentProfileIndex());
        } else {
            const IniFile ini(path);
            benchmark::DoNotOptimize(ini.readString(QStringLiteral("S"), QStringLiteral("K"), {}));
            benchmark::DoNotOptimize(
                ini.highestNumberedKey(QStringLiteral("S"), QStringLiteral("k")));
        }
        peak = statusBytes("VmHWM") - before;
    }
    state.counters["file_MB"] = double(size) / double(kMiB);
    state.counters["peak_MB"] = double(peak) / double(kMiB);
    state.counters["x_size"] = double(peak) / double(size);
    if (peak > 4 * size + 50 * kMiB)
        state.SkipWithError("peak memory above 4 x the file's size + 50 MB");
}

} // namespace

#define READ_PEAK(kind)                                                                            \
    BENCHMARK_CAPTURE(BM_ReadPeakMemory, ini_##kind, std::string(#kind), false)                    \
        ->Iterations(1)                                                                            \
        ->Unit(benchmark::kMillisecond);                                                           \
    BENCHMARK_CAPTURE(BM_ReadPeakMemory, store_##kind, std::string(#kind), true)                   \
        ->Iterations(1)                                                                            \
        ->Unit(benchmark::kMillisecond)

READ_PEAK(empty_lines);
READ_PEAK(bracket_lines);
READ_PEAK(long_value);
READ_PEAK(profiles);
READ_PEAK(distinct_keys);
READ_PEAK(distinct_sections);
READ_PEAK(duplicate_keys);
READ_PEAK(keys_between_comments);

BENCHMARK_MAIN();

// Loading a million numbers from a file, and walking a dropped folder tree, in the real window
// (offscreen platform, real models and views).

#include "bench_data.h"
#include "bench_desktop.h"

#include "files/file_system.h"
#include "window/form1.h"
#include "window/phone_list/add_folder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// The same numbers as a Windows program's "Unicode text": UTF-16LE behind its mark.
void RewriteAsUtf16(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        std::abort();
    const QString text = QString::fromLatin1(file.readAll());
    QByteArray bytes("\xff\xfe");
    for (const QChar c : text)
        bytes.append(static_cast<char>(c.unicode() & 0xff))
            .append(static_cast<char>(c.unicode() >> 8));
    file.resize(0);
    file.write(bytes);
}

// Argument 0: a UTF-8 file; 1: the same lines in UTF-16.
void BM_LoadMillionLineFile(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("numbers.txt"));
    WritePhoneFile(path, 1'000'000);
    if (state.range(0) == 1)
        RewriteAsUtf16(path);
    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    double plain = 0;
    for (auto _ : state) {
        form.ListView1->items().clear();
        QCoreApplication::processEvents();
        QElapsedTimer plainClock;
        plainClock.start();
        benchmark::DoNotOptimize(ReadWholeFile(path).size());
        plain = Seconds(plainClock);

        QElapsedTimer clock;
        clock.start();
        form.AddNumbersFromFile(*form.ListView1, path);
        const double seconds = Seconds(clock);
        state.SetIterationTime(seconds);
        state.counters["ratio_to_plain_read"] = seconds / plain;
    }
    state.counters["plain_read_ms"] = plain * 1e3;
    state.counters["file_mb"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
    state.counters["rows"] = static_cast<double>(form.ListView1->count());
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}

void BM_WalkTenThousandFilesInHundredFolders(benchmark::State& state)
{
    QTemporaryDir folder;
    for (int f = 0; f < 100; ++f) {
        const QString sub = folder.filePath(QStringLiteral("level%1/folder%2").arg(f % 10).arg(f));
        QDir().mkpath(sub);
        for (int i = 0; i < 100; ++i) {
            QFile file(sub + QStringLiteral("/%1.txt").arg(i));
            file.open(QIODevice::WriteOnly);
        }
    }
    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    qsizetype found = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        Pacer pacer = form.MakePacer(false);
        AddFolder::AddFilesOfDroppedFolder(desktop, pacer, folder.path(), form.ListView1->items());
        state.SetIterationTime(Seconds(clock));
        found = form.ListView1->count();
        form.ListView1->items().clear();
    }
    state.counters["files"] = static_cast<double>(found);
}

// A dropped tree of 30,000 folders, one of which holds 50,000 files: the longest stretch
// without window events while it is walked and its files are added.
void BM_DropTreeOfThirtyThousandFolders(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString root = folder.filePath(QStringLiteral("tree"));
    for (int top = 0; top < 30; ++top)
        for (int sub = 0; sub < 1000; ++sub)
            QDir().mkpath(root + QStringLiteral("/%1/%2").arg(top).arg(sub));
    for (int i = 0; i < 50'000; ++i) {
        QFile file(root + QStringLiteral("/7/123/%1.txt").arg(i));
        file.open(QIODevice::WriteOnly);
    }
    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    EventGapWatch watch;
    double longestGap = 0;
    for (auto _ : state) {
        form.PushButton4_Click();
        state.SetIterationTime(
            TimeWatchingEvents(watch, longestGap, [&] { form.AddDroppedPaths({root}); }) / 1e3);
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["files"] = static_cast<double>(form.ListView1->count());
}

BENCHMARK(BM_LoadMillionLineFile)
    ->ArgName("utf16")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3);
BENCHMARK(BM_WalkTenThousandFilesInHundredFolders)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3);
BENCHMARK(BM_DropTreeOfThirtyThousandFolders)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace

// A million numbers through the real window (offscreen platform, real models and views), as a
// user drives it: load the file, run with the two sample rules, save as comma-delimited text,
// copy to the clipboard. Beside it, a short awk program doing the same job on the same file.

#include "bench_data.h"
#include "bench_desktop.h"

#include "window/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_MillionNumbersEndToEnd(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("numbers.txt"));
    WritePhoneFile(input, 1'000'000);
    const QString output = folder.filePath(QStringLiteral("results.txt"));
    const QString awkOutput = folder.filePath(QStringLiteral("awk.txt"));

    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    desktop.openAnswer = input;
    desktop.saveAnswer = output;
    KeepOnlySampleRules(form);

    for (auto _ : state) {
        form.PushButton4_Click();
        form.PushButton9_Click();
        QFile::remove(output);
        QCoreApplication::processEvents();

        QElapsedTimer clock;
        clock.start();
        form.PushButton3_Click();
        const double load = Milliseconds(clock);
        clock.restart();
        form.PushButton7_Click();
        const double run = Milliseconds(clock);
        clock.restart();
        form.PushButton2_Click();
        const double save = Milliseconds(clock);
        clock.restart();
        form.PushButton8_Click();
        const double copy = Milliseconds(clock);

        const double awk = AwkMilliseconds(input, awkOutput);
        state.SetIterationTime((load + run + save) / 1e3);
        state.counters["load_ms"] = load;
        state.counters["run_ms"] = run;
        state.counters["save_ms"] = save;
        state.counters["copy_ms"] = copy;
        state.counters["awk_ms"] = awk;
        state.counters["ratio_to_awk"] = (load + run + save) / awk;
    }
    QFile ours(output);
    QFile theirs(awkOutput);
    ours.open(QIODevice::ReadOnly);
    theirs.open(QIODevice::ReadOnly);
    state.counters["same_bytes_as_awk"] = ours.readAll() == theirs.readAll() ? 1 : 0;
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}

BENCHMARK(BM_MillionNumbersEndToEnd)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

}  // namespace

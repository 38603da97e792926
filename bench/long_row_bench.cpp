// Rows of millions of characters (a file without line breaks) in the real window (offscreen
// platform, real models and views): the window keeps answering while a 50 MB one-line file is
// loaded, run and saved as comma-delimited text, and a run over a million numbers is no slower
// for a 20M-character row among them.

#include "bench_data.h"
#include "bench_desktop.h"

#include "window/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// A text of the given length without line breaks, as a base64 export would be.
QByteArray OneLine(qsizetype length)
{
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray line(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        line[i] = kAlphabet[(i * 7 + i / 64) % 64];
    return line;
}

void BM_FiftyMegabyteLineLoadRunSave(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("blob.txt"));
    const QString output = folder.filePath(QStringLiteral("results.txt"));
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(OneLine(50'000'000));
    }
    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    desktop.openAnswer = input;
    desktop.saveAnswer = output;
    KeepOnlySampleRules(form);
    EventGapWatch watch;
    for (auto _ : state) {
        form.PushButton4_Click();
        form.PushButton9_Click();
        QFile::remove(output);

        QElapsedTimer clock;
        clock.start();
        watch.start();
        form.PushButton3_Click();
        const double loadGap = watch.stop();
        watch.start();
        form.PushButton7_Click();
        const double runGap = watch.stop();
        watch.start();
        form.PushButton2_Click();
        const double saveGap = watch.stop();
        state.SetIterationTime(Milliseconds(clock) / 1e3);
        state.counters["load_gap_ms"] = loadGap;
        state.counters["run_gap_ms"] = runGap;
        state.counters["save_gap_ms"] = saveGap;
        state.counters["longest_gap_ms"] = std::max({loadGap, runGap, saveGap});
    }
    // The saved file holds the whole line, with its line break.
    state.counters["saved_bytes"] = static_cast<double>(QFileInfo(output).size());
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}

// Argument 0: a million numbers; 1: the same behind one row of 20M characters.
void BM_MillionNumbersRunBesideLongRow(benchmark::State& state)
{
    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    KeepOnlySampleRules(form);
    ListModel& phones = form.ListView1->items();
    if (state.range(0) == 1)
        phones.appendDeferred(QLatin1StringView(OneLine(20'000'000)));
    for (const QString& phone : MakePhoneTexts(1'000'000))
        phones.appendDeferred(phone);
    phones.flushAppends();
    EventGapWatch watch;
    double longestGap = 0;
    for (auto _ : state) {
        form.PushButton9_Click();
        state.SetIterationTime(
            TimeWatchingEvents(watch, longestGap, [&] { form.PushButton7_Click(); }) / 1e3);
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["results"] = static_cast<double>(form.ListView3->count());
}

BENCHMARK(BM_FiftyMegabyteLineLoadRunSave)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_MillionNumbersRunBesideLongRow)
    ->ArgName("long_row")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3);

}  // namespace

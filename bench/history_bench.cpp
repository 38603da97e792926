// "Clear List" under the phone list at ten million numbers, its undo (Ctrl+Z) and its redo
// (Ctrl+Shift+Z), through the real window (offscreen platform, real models and views), each
// with the window events it causes. Beside them, clearing the list the way it was done before
// there was a history: freeing its storage.

#include "bench_data.h"
#include "bench_desktop.h"

#include "app/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

constexpr size_t kNumbers = 10'000'000;

// This thread's processor time in milliseconds: on a machine busy with other work the wall
// clock mostly measures the wait for a core.
double CpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Time {
    double wall = 0;
    double cpu = 0;
};

// The time of one action on the window, with the events it leaves behind handled.
template <class Action> Time Timed(Action&& action)
{
    QElapsedTimer clock;
    clock.start();
    const double cpu = CpuMilliseconds();
    action();
    QCoreApplication::processEvents();
    return {Milliseconds(clock), CpuMilliseconds() - cpu};
}

// The numbers' file, written once for every repetition.
const QString& InputFile()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        QString input = folder.filePath(QStringLiteral("numbers.txt"));
        WritePhoneFile(input, kNumbers);
        return input;
    }();
    return path;
}

// A window whose phone list holds the numbers, loaded by "Load Phone Numbers From File".
struct Loaded {
    BenchDesktop desktop;
    Form1 form{desktop, QStringLiteral("/nonexistent")};

    Loaded()
    {
        desktop.openAnswer = InputFile();
        form.show();
        form.PushButton3_Click();
        QCoreApplication::processEvents();
    }
};

void BM_ClearListUndoRedoTenMillion(benchmark::State& state)
{
    Loaded loaded;
    Form1& form = loaded.form;
    ListModel& phones = form.ListView1->items();
    const QString first = phones.text(0);
    const QString last = phones.text(phones.count() - 1);
    bool whole = true;
    for (auto _ : state) {
        const Time clear = Timed([&] { form.PushButton4_Click(); });
        whole = whole && phones.count() == 0;
        const Time undo = Timed([&] { form.Form_Undo(); });
        whole = whole && phones.count() == static_cast<qsizetype>(kNumbers)
                && phones.text(0) == first && phones.text(phones.count() - 1) == last;
        const Time redo = Timed([&] { form.Form_Redo(); });
        whole = whole && phones.count() == 0;
        state.SetIterationTime(clear.wall / 1e3);
        state.counters["clear_ms"] = clear.wall;
        state.counters["undo_ms"] = undo.wall;
        state.counters["redo_ms"] = redo.wall;
        state.counters["clear_cpu_ms"] = clear.cpu;
        state.counters["undo_cpu_ms"] = undo.cpu;
        state.counters["redo_cpu_ms"] = redo.cpu;
    }
    state.counters["restored_whole"] = whole ? 1 : 0;
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}

// The clear that frees the storage, as the list did before the history kept it. Each
// repetition loads the numbers afresh.
void BM_ClearFreeingStorageTenMillion(benchmark::State& state)
{
    Loaded loaded;
    ListModel& phones = loaded.form.ListView1->items();
    for (auto _ : state) {
        const Time clear = Timed([&] { phones.clear(); });
        state.SetIterationTime(clear.wall / 1e3);
        state.counters["free_clear_ms"] = clear.wall;
        state.counters["free_clear_cpu_ms"] = clear.cpu;
    }
}

// The model's own share: the rows taken out of a list no view shows, and put back.
void BM_ModelTakeAndPutTenMillion(benchmark::State& state)
{
    ListModel list;
    list.addColumn(QStringLiteral("Phone Number(s)"));
    for (const QString& text : MakePhoneTexts(kNumbers))
        list.appendDeferred(text);
    list.flushAppends();
    for (auto _ : state) {
        ListModel::Rows rows;
        const Time take = Timed([&] { rows = list.takeRows(0, list.count()); });
        const Time put = Timed([&] { list.putRows(0, std::move(rows)); });
        state.SetIterationTime(put.wall / 1e3);
        state.counters["model_take_cpu_ms"] = take.cpu;
        state.counters["model_put_cpu_ms"] = put.cpu;
    }
}

BENCHMARK(BM_ClearListUndoRedoTenMillion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ClearFreeingStorageTenMillion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK(BM_ModelTakeAndPutTenMillion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

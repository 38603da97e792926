// "Clear List" under the phone list at ten million numbers, its undo (Ctrl+Z) and its redo
// (Ctrl+Shift+Z), through the real window (offscreen platform, real models and views), each
// with the window events it causes. Beside them, clearing the list the way it was done before
// there was a history: freeing its storage. And the phone list's menu at ten million numbers
// as people write them: Tidy Numbers and Remove Duplicate Numbers, with their undo and redo,
// the longest stretch without window events and the memory they take.

#include "bench_data.h"
#include "bench_desktop.h"

#include "window/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <QFile>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

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

// Numbers as people write them, one a line: ten digits in one of five layouts ("6034343563",
// "(603) 434-3563", "603.434.3563", "+1 603 434 3563", "603-434-3563"), the last fifth the
// first numbers again in other layouts, and one line in twenty a name with letters or a
// number with an extension.
void WritePeopleFile(const QString& path, size_t count)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    const size_t distinct = count / 5 * 4;
    std::string bytes;
    char line[64];
    for (size_t i = 0; i < count; ++i) {
        const unsigned long long number = 6'030'000'000ULL + i % distinct;
        const auto a = static_cast<unsigned>(number / 10'000'000);
        const auto b = static_cast<unsigned>(number / 10'000 % 1000);
        const auto c = static_cast<unsigned>(number % 10'000);
        if (i % 40 == 7)
            std::snprintf(line, sizeof line, "1-800-FLOWERS\r\n");
        else if (i % 40 == 27)
            std::snprintf(line, sizeof line, "%03u-%03u-%04u ext. 12\r\n", a, b, c);
        else {
            switch ((i + i / distinct * 2) % 5) {
            case 0: std::snprintf(line, sizeof line, "%llu\r\n", number); break;
            case 1: std::snprintf(line, sizeof line, "(%03u) %03u-%04u\r\n", a, b, c); break;
            case 2: std::snprintf(line, sizeof line, "%03u.%03u.%04u\r\n", a, b, c); break;
            case 3: std::snprintf(line, sizeof line, "+1 %03u %03u %04u\r\n", a, b, c); break;
            default: std::snprintf(line, sizeof line, "%03u-%03u-%04u\r\n", a, b, c); break;
            }
        }
        bytes += line;
        if (bytes.size() > (1 << 20) || i + 1 == count) {
            if (file.write(bytes.data(), static_cast<qint64>(bytes.size()))
                != static_cast<qint64>(bytes.size()))
                std::abort();
            bytes.clear();
        }
    }
}

const QString& PeopleFile()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        QString input = folder.filePath(QStringLiteral("people.txt"));
        WritePeopleFile(input, kNumbers);
        return input;
    }();
    return path;
}

// The most memory the process has held since the last reset, in megabytes: the kernel's high
// water mark, which writing 5 to clear_refs sets back to what it holds now.
void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakMemorySinceReset()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

// A window whose phone list holds the numbers, loaded by "Load Phone Numbers From File".
struct Loaded {
    BenchDesktop desktop;
    Form1 form{desktop, QStringLiteral("/nonexistent")};

    explicit Loaded(const QString& file = InputFile())
    {
        desktop.openAnswer = file;
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

// One item of the phone list's menu over ten million numbers as people write them, then its
// undo and its redo, and an undo again for the next repetition; the numbers are loaded once.
void BM_PhoneListMenuTenMillion(benchmark::State& state, bool tidy)
{
    Loaded loaded(PeopleFile());
    Form1& form = loaded.form;
    ListModel& phones = form.ListView1->items();
    const qsizetype count = phones.count();
    // The second number is written "(603) 000-0001": tidying changes it.
    const QString second = phones.text(1);
    EventGapWatch watch;
    bool whole = true;
    for (auto _ : state) {
        ResetPeakMemory();
        const double before = PeakMemorySinceReset();
        double gap = 0;
        loaded.desktop.resetGaps();
        const int boxes = loaded.desktop.messages();
        const double item = TimeWatchingEvents(watch, gap, [&] {
            if (tidy)
                form.mnuTidyNumbers_Click();
            else
                form.mnuRemoveDuplicates_Click();
        });
        const double peak = PeakMemorySinceReset();
        const qsizetype after = phones.count();
        whole = whole && loaded.desktop.messages() == boxes + 1
                && (tidy ? after == count && phones.text(1) == QStringLiteral("6030000001")
                         : after < count);
        double undoGap = 0;
        const double undo = TimeWatchingEvents(watch, undoGap, [&] { form.Form_Undo(); });
        whole = whole && phones.count() == count && phones.text(1) == second;
        double redoGap = 0;
        const double redo = TimeWatchingEvents(watch, redoGap, [&] { form.Form_Redo(); });
        whole = whole && phones.count() == after;
        form.Form_Undo();
        state.SetIterationTime(item / 1e3);
        state.counters["item_ms"] = item;
        state.counters["longest_gap_ms"] = gap;
        // The program's own share: the longest stretch between two of its yields.
        state.counters["between_yields_ms"] = loaded.desktop.longestGapMs();
        state.counters["undo_ms"] = undo;
        state.counters["redo_ms"] = redo;
        state.counters["undo_redo_gap_ms"] = std::max(undoGap, redoGap);
        state.counters["rows_after"] = static_cast<double>(after);
        state.counters["rss_before_mb"] = before;
        state.counters["peak_rss_mb"] = peak;
    }
    state.counters["rewritten_whole"] = whole ? 1 : 0;
}

BENCHMARK_CAPTURE(BM_PhoneListMenuTenMillion, tidy_numbers, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_PhoneListMenuTenMillion, remove_duplicates, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

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

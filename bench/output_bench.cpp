// The result writers over big lists in the real window (offscreen platform, real models and
// views), each next to a plain write of the same bytes.

#include "bench_data.h"
#include "bench_desktop.h"

#include "window/form1.h"
#include "window/result_list/clipboard.h"
#include "window/result_list/save_comma.h"
#include "window/result_list/save_list.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The floor: the same bytes written to a file in one call.
double PlainWriteSeconds(const QString& path, const QByteArray& bytes)
{
    QElapsedTimer clock;
    clock.start();
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size())
        std::abort();
    ::fsync(fd);
    ::close(fd);
    return Seconds(clock);
}

struct Window {
    BenchDesktop desktop;
    Form1 form{desktop, QStringLiteral("/nonexistent")};
    QTemporaryDir folder;
    Window() { form.show(); }
};

void FillResults(Form1& form, size_t count)
{
    ListModel& results = form.ListView3->items();
    for (const QString& text : MakePhoneTexts(count))
        results.appendDeferred(text);
    results.flushAppends();
    QCoreApplication::processEvents();
}

void BM_CommaSaveMillionResults(benchmark::State& state)
{
    Window window;
    FillResults(window.form, 1'000'000);
    const QString path = window.folder.filePath(QStringLiteral("results.txt"));
    double plain = 0;
    for (auto _ : state) {
        QFile::remove(path);
        QElapsedTimer clock;
        clock.start();
        Pacer pacer = window.form.MakePacer(true);
        SaveComma::SaveListviewAsCommaDelimToFile(window.desktop, pacer,
                                                  window.form.applicationTitle(),
                                                  window.form.ListView3->items(), path);
        const double seconds = Seconds(clock);
        state.SetIterationTime(seconds);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        plain = PlainWriteSeconds(window.folder.filePath(QStringLiteral("plain.txt")), bytes);
        state.counters["ratio_to_plain_write"] = seconds / plain;
    }
    state.counters["plain_write_ms"] = plain * 1e3;
}

void BM_ClipboardCopyMillionResults(benchmark::State& state)
{
    Window window;
    FillResults(window.form, 1'000'000);
    double plain = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        Pacer pacer = window.form.MakePacer(false);
        Main::CopyListToClipboard(window.desktop, pacer, window.form.ListView3->items());
        const double seconds = Seconds(clock);
        state.SetIterationTime(seconds);
        const QByteArray text = Main::BuildAlignedText(window.form.ListView3->items(), [] {});
        plain = PlainWriteSeconds(window.folder.filePath(QStringLiteral("plain.txt")), text);
        state.counters["ratio_to_plain_write"] = seconds / plain;
    }
    state.counters["plain_write_ms"] = plain * 1e3;
}

void BM_AlignedSaveHundredThousandRules(benchmark::State& state)
{
    Window window;
    ListModel& rules = window.form.ListView2->items();
    for (int i = 0; i < 100'000; ++i) {
        const qsizetype row = rules.appendDeferred(QString::number(i));
        rules.setSubItem(row, 1, QStringLiteral("xxx-xxx-xxxx"));
    }
    rules.flushAppends();
    const QString path = window.folder.filePath(QStringLiteral("rules.txt"));
    double plain = 0;
    for (auto _ : state) {
        QFile::remove(path);
        QElapsedTimer clock;
        clock.start();
        Pacer pacer = window.form.MakePacer(true);
        SaveList::SaveListviewProperlySpaced(window.desktop, pacer, rules, path);
        const double seconds = Seconds(clock);
        state.SetIterationTime(seconds);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        plain =
            PlainWriteSeconds(window.folder.filePath(QStringLiteral("plain.txt")), file.readAll());
        state.counters["ratio_to_plain_write"] = seconds / plain;
    }
    state.counters["plain_write_ms"] = plain * 1e3;
}

BENCHMARK(BM_CommaSaveMillionResults)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3);
BENCHMARK(BM_ClipboardCopyMillionResults)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3);
BENCHMARK(BM_AlignedSaveHundredThousandRules)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3);

}  // namespace

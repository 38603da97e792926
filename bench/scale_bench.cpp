// One million and ten million numbers through the real window (offscreen platform, real models
// and views), as a user drives it: load the file, run with the two sample rules, save as
// comma-delimited text, copy to the clipboard; then scroll both lists, and save a rule list of
// a tenth the size as aligned text. Each size runs in a process of its own, so its peak memory
// (VmHWM) is its own; three rounds, medians printed beside the ratio of each size to the one
// before and beside an awk program doing the same job on the same file. --large adds fifty
// million numbers, where a cost that grows faster than the list shows plainly. With --load FILE
// it loads only that file and tells its peak memory beside the file's size.
//
// To profile one step alone: start perf with its events off and a control FIFO, and name the
// step (load, run, save, copy) and the FIFOs in the environment; the step turns the events on
// and off around itself:
//   mkfifo ctl ack
//   export SCALE_BENCH_PERF_STEP=run SCALE_BENCH_PERF_CONTROL=ctl SCALE_BENCH_PERF_ACK=ack
//   perf record -g -D -1 --control fifo:ctl,ack scale_bench --size 10000000 --input F --work D

#include "bench_data.h"
#include "bench_desktop.h"

#include "files/file_system.h"
#include "files/text_lines.h"
#include "window/form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

// The process's peak resident memory so far, in megabytes, as the kernel counts it.
double VmHwmMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void Print(const char* key, double value)
{
    std::printf("%s %.3f\n", key, value);
}

// Turns a profiler's events on for the one step named in the environment (see the top).
class ProfiledStep {
public:
    explicit ProfiledStep(const char* step)
        : on_(qEnvironmentVariable("SCALE_BENCH_PERF_STEP") == QLatin1String(step))
    {
        if (on_)
            tell("enable\n");
    }
    ~ProfiledStep()
    {
        if (on_)
            tell("disable\n");
    }
    ProfiledStep(const ProfiledStep&) = delete;
    ProfiledStep& operator=(const ProfiledStep&) = delete;
    ProfiledStep(ProfiledStep&&) = delete;
    ProfiledStep& operator=(ProfiledStep&&) = delete;

private:
    // Writes the command and waits for the profiler's answer, so the step starts measured.
    static void tell(const char* command)
    {
        QFile control(qEnvironmentVariable("SCALE_BENCH_PERF_CONTROL"));
        if (!control.open(QIODevice::WriteOnly) || control.write(command) < 0)
            std::abort();
        control.close();
        QFile ack(qEnvironmentVariable("SCALE_BENCH_PERF_ACK"));
        if (!ack.fileName().isEmpty() && ack.open(QIODevice::ReadOnly))
            ack.readLine();
    }

    bool on_;
};

// The longest repaint of a list scrolled from top to bottom and back, in milliseconds.
double LongestScrolledRepaint(ListView& list)
{
    QScrollBar* bar = list.verticalScrollBar();
    std::vector<int> positions;
    for (int step = 0; step <= 16; ++step)
        positions.push_back(static_cast<int>(static_cast<qint64>(bar->maximum()) * step / 16));
    for (int step = 15; step >= 0; --step)
        positions.push_back(positions[static_cast<size_t>(step)]);
    double longest = 0;
    for (const int position : positions) {
        bar->setValue(position);
        QElapsedTimer clock;
        clock.start();
        list.viewport()->repaint();
        longest = std::max(longest, Milliseconds(clock));
    }
    return longest;
}

int Measure(qint64 size, const QString& input, const QString& work)
{
    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    QCoreApplication::processEvents();
    KeepOnlySampleRules(form);
    desktop.openAnswer = input;
    desktop.saveAnswer = QDir(work).filePath(QStringLiteral("results.txt"));

    const double beforeLoad = VmHwmMegabytes();
    QElapsedTimer clock;
    clock.start();
    {
        const ProfiledStep profiled("load");
        form.PushButton3_Click();
    }
    Print("load_ms", Milliseconds(clock));
    // What loading alone takes at its peak, against the size of the file.
    const double fileMb = static_cast<double>(QFileInfo(input).size()) / (1024.0 * 1024.0);
    Print("load_peak_per_file_mb", (VmHwmMegabytes() - beforeLoad) / fileMb);
    desktop.resetGaps();
    clock.restart();
    {
        const ProfiledStep profiled("run");
        form.PushButton7_Click();
    }
    Print("run_ms", Milliseconds(clock));
    Print("run_gap_ms", desktop.longestGapMs());
    desktop.resetGaps();
    clock.restart();
    {
        const ProfiledStep profiled("save");
        form.PushButton2_Click();
    }
    Print("comma_save_ms", Milliseconds(clock));
    Print("comma_save_gap_ms", desktop.longestGapMs());
    Print("peak_through_save_mb", VmHwmMegabytes());
    desktop.resetGaps();
    clock.restart();
    {
        const ProfiledStep profiled("copy");
        form.PushButton8_Click();
    }
    Print("copy_ms", Milliseconds(clock));
    Print("copy_gap_ms", desktop.longestGapMs());
    Print("peak_through_copy_mb", VmHwmMegabytes());

    Print("phone_repaint_ms", LongestScrolledRepaint(*form.ListView1));
    Print("result_repaint_ms", LongestScrolledRepaint(*form.ListView3));

    // A rule list a tenth the size of the phone list, saved as aligned text.
    form.PushButton4_Click();
    form.PushButton9_Click();
    form.PushButton15_Click();
    ListModel& rules = form.ListView2->items();
    for (qint64 i = 0; i < size / 10; ++i) {
        const qsizetype row = rules.appendDeferred(QString::number(i));
        rules.setSubItem(row, 1, QStringLiteral("xxx-xxx-xxxx"));
    }
    rules.flushAppends();
    desktop.saveAnswer = QDir(work).filePath(QStringLiteral("rules.txt"));
    desktop.resetGaps();
    clock.restart();
    form.PushButton6_Click();
    Print("aligned_save_ms", Milliseconds(clock));
    Print("aligned_save_gap_ms", desktop.longestGapMs());
    return 0;
}

// Only the load of one file: its time, and the memory it took at its peak beside the file.
// With --bare the file goes into a list that no view shows, for the loader's own share.
int MeasureLoad(const QString& input, bool bare)
{
    if (bare) {
        ListModel list;
        list.addColumn(QStringLiteral("Phone Number(s)"));
        const ReadableFile file(input);
        const double beforeLoad = VmHwmMegabytes();
        QElapsedTimer clock;
        clock.start();
        AppendPhoneLines([&file](qint64 offset, char* into,
                                 qsizetype size) { return file.readAt(offset, into, size); },
                         list);
        const double fileMb = static_cast<double>(file.size()) / (1024.0 * 1024.0);
        std::printf("bare list: file %.1f MB, %lld rows, load %.0f ms, peak %.1f MB: %.2f times "
                    "the file\n",
                    fileMb, static_cast<long long>(list.count()), Milliseconds(clock),
                    VmHwmMegabytes() - beforeLoad, (VmHwmMegabytes() - beforeLoad) / fileMb);
        return 0;
    }
    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    QCoreApplication::processEvents();
    desktop.openAnswer = input;
    const double beforeLoad = VmHwmMegabytes();
    QElapsedTimer clock;
    clock.start();
    {
        const ProfiledStep profiled("load");
        form.PushButton3_Click();
    }
    const double fileMb = static_cast<double>(QFileInfo(input).size()) / (1024.0 * 1024.0);
    std::printf("file %.1f MB, %lld rows, load %.0f ms, peak %.1f MB over the %.1f MB before: "
                "%.2f times the file\n",
                fileMb, static_cast<long long>(form.ListView1->count()), Milliseconds(clock),
                VmHwmMegabytes() - beforeLoad, beforeLoad,
                (VmHwmMegabytes() - beforeLoad) / fileMb);
    return 0;
}

int Drive(const QString& program, const std::vector<qint64>& sizes)
{
    QTemporaryDir work;
    std::map<qint64, std::map<QString, std::vector<double>>> figures;
    std::map<qint64, bool> sameBytes;
    const auto inputOf = [&work](qint64 size) {
        return work.filePath(QStringLiteral("numbers-%1.txt").arg(size));
    };
    for (const qint64 size : sizes)
        WritePhoneFile(inputOf(size), static_cast<size_t>(size));
    for (int round = 0; round < kRounds; ++round) {
        for (const qint64 size : sizes) {
            const QString input = inputOf(size);
            QProcess child;
            child.start(program,
                        {QStringLiteral("--size"), QString::number(size), QStringLiteral("--input"),
                         input, QStringLiteral("--work"), work.path()});
            if (!child.waitForFinished(3'600'000) || child.exitCode() != 0) {
                std::fprintf(stderr, "the %lld-number run failed: %s\n", size,
                             child.readAllStandardError().constData());
                return 1;
            }
            for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
                const QList<QByteArray> parts = line.split(' ');
                if (parts.size() == 2)
                    figures[size][QString::fromLatin1(parts[0])].push_back(parts[1].toDouble());
            }
            const QString awkOutput = work.filePath(QStringLiteral("awk.txt"));
            figures[size][QStringLiteral("awk_ms")].push_back(AwkMilliseconds(input, awkOutput));
            QFile ours(work.filePath(QStringLiteral("results.txt")));
            QFile theirs(awkOutput);
            sameBytes[size] = ours.open(QIODevice::ReadOnly) && theirs.open(QIODevice::ReadOnly)
                              && ours.readAll() == theirs.readAll();
        }
    }

    const auto median = [&](qint64 size, const char* key) {
        return Median(figures[size][QString::fromLatin1(key)]);
    };
    std::printf("Medians of %d rounds; each size in a process of its own; each ratio is a size's "
                "figure over the one before.\n\n",
                kRounds);
    std::printf("%-24s", "figure");
    for (const qint64 size : sizes)
        std::printf(" %12lld", static_cast<long long>(size));
    for (size_t i = 1; i < sizes.size(); ++i)
        std::printf(" %7lldx", static_cast<long long>(sizes[i] / sizes[i - 1]));
    std::printf("\n");
    for (const char* key :
         {"load_ms", "load_peak_per_file_mb", "run_ms", "comma_save_ms", "copy_ms",
          "aligned_save_ms", "awk_ms", "run_gap_ms", "comma_save_gap_ms", "copy_gap_ms",
          "aligned_save_gap_ms", "phone_repaint_ms", "result_repaint_ms", "peak_through_save_mb",
          "peak_through_copy_mb"}) {
        std::printf("%-24s", key);
        for (const qint64 size : sizes)
            std::printf(" %12.1f", median(size, key));
        for (size_t i = 1; i < sizes.size(); ++i)
            std::printf(" %8.2f", median(sizes[i], key) / median(sizes[i - 1], key));
        std::printf("\n");
    }
    for (const qint64 size : sizes) {
        const double ours =
            median(size, "load_ms") + median(size, "run_ms") + median(size, "comma_save_ms");
        std::printf("\n%lld numbers: load + run + save %.1f ms, awk %.1f ms, ratio %.2f, same "
                    "bytes as awk: %s",
                    size, ours, median(size, "awk_ms"), ours / median(size, "awk_ms"),
                    sameBytes[size] ? "yes" : "NO");
    }
    std::printf("\n(the aligned save is of a tenth as many rules)\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() >= 3 && arguments[1] == QLatin1String("--load"))
        return MeasureLoad(arguments[2], arguments.size() == 4);
    if (arguments.size() == 7 && arguments[1] == QLatin1String("--size"))
        return Measure(arguments[2].toLongLong(), arguments[4], arguments[6]);
    std::vector<qint64> sizes(kSizes.begin(), kSizes.end());
    if (arguments.size() == 2 && arguments[1] == QLatin1String("--large"))
        sizes.push_back(50'000'000);
    return Drive(QCoreApplication::applicationFilePath(), sizes);
}

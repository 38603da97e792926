// Formatting without a window at one and ten million numbers (the scale benchmark's mix, the
// two sample rules, comma-delimited output to a file) beside mawk doing the same job on the
// same file: wall time and peak memory (VmHWM, as the kernel reports the child's largest
// resident size, through GNU time), medians of five rounds, and whether the bytes are the same.

#include "bench_data.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// A run of a tenth of a second is at the mercy of the machine's other work: five rounds give a
// steadier median.
constexpr int kFormatRounds = 5;

struct Measured {
    double milliseconds = 0;
    double peakMegabytes = 0;
};

// Runs a program with standard input from a file and standard output to a file. It starts
// under GNU time, whose own footprint is small: a child started straight from this process
// would begin with this process's memory and count it as its own peak.
Measured Run(std::vector<std::string> command, const QString& input, const QString& output,
             const QString& peakFile)
{
    command.insert(command.begin(),
                   {"/usr/bin/time", "-f", "%M", "-o", QFile::encodeName(peakFile).toStdString()});
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, QFile::encodeName(input).constData(), O_RDONLY,
                                     0);
    posix_spawn_file_actions_addopen(&actions, 1, QFile::encodeName(output).constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // Every run starts with the disk quiet and no file to empty: what the last run left to
    // write back would otherwise go out during this one, and emptying the last run's output
    // (freeing its blocks) would be timed as this one's.
    QFile::remove(output);
    ::sync();
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& each : command)
        argv.push_back(const_cast<char*>(each.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", command[5].c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(child, &status, 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", command[5].c_str());
        std::exit(1);
    }
    QFile peak(peakFile);
    const double kilobytes =
        peak.open(QIODevice::ReadOnly) ? peak.readAll().trimmed().toDouble() : -1;
    return {std::chrono::duration<double, std::milli>(elapsed).count(), kilobytes / 1024.0};
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

// The same numbers as people write them, line for line: ten digits as (603) 434-3563, seven as
// 797-8118; and as the Phone field of a CSV file of four fields with a heading.
void WriteWrittenForms(const QString& numbers, const QString& punctuated, const QString& csv)
{
    QFile in(numbers);
    QFile dotted(punctuated);
    QFile table(csv);
    if (!in.open(QIODevice::ReadOnly) || !dotted.open(QIODevice::WriteOnly)
        || !table.open(QIODevice::WriteOnly))
        std::abort();
    QByteArray a;
    QByteArray b = "Name,Phone,City,E-mail\r\n";
    for (qint64 row = 0; !in.atEnd(); ++row) {
        const QByteArray line = in.readLine().chopped(2);
        const bool digits = !line.isEmpty() && std::all_of(line.begin(), line.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (digits && line.size() == 10)
            a += "(" + line.left(3) + ") " + line.mid(3, 3) + "-" + line.mid(6);
        else if (digits && line.size() == 7)
            a += line.left(3) + "-" + line.mid(3);
        else
            a += line;
        a += "\r\n";
        b += "Person " + QByteArray::number(row) + "," + line + ",Springfield,p"
             + QByteArray::number(row) + "@example.org\r\n";
        if (a.size() > (1 << 20) || in.atEnd()) {
            if (dotted.write(a) != a.size() || table.write(b) != b.size())
                std::abort();
            a.clear();
            b.clear();
        }
    }
}

}  // namespace

int main()
{
    QTemporaryDir work;
    const std::string program = DIALWRIGHT_PROGRAM;
    const std::vector<std::string> rules = {"--rule", "10=xxx-xxx-xxxx", "--rule", "7=xxx/xxxx"};
    std::printf("Medians of %d rounds; wall time in ms, peak memory (VmHWM) in MB.\n\n",
                kFormatRounds);
    std::printf("%-12s %-34s %10s %10s %8s %s\n", "numbers", "run", "ms", "VmHWM", "ratio",
                "same bytes as mawk");
    for (const long long size : kSizes) {
        const QString input = work.filePath(QStringLiteral("numbers-%1.txt").arg(size));
        WritePhoneFile(input, static_cast<size_t>(size));
        const QString awkOut = work.filePath(QStringLiteral("mawk.txt"));
        const QString ourOut = work.filePath(QStringLiteral("dialwright.txt"));
        const QString fileOut = work.filePath(QStringLiteral("dialwright-output.txt"));
        std::vector<std::string> toStandardOutput = {program, "--format"};
        toStandardOutput.insert(toStandardOutput.end(), rules.begin(), rules.end());
        toStandardOutput.push_back(QFile::encodeName(input).toStdString());
        std::vector<std::string> toFile = toStandardOutput;
        toFile.emplace_back("--output");
        toFile.push_back(QFile::encodeName(fileOut).toStdString());

        // --tidy on the same numbers written with punctuation, --column on them as a CSV field.
        const QString punctuated = work.filePath(QStringLiteral("punctuated-%1.txt").arg(size));
        const QString csv = work.filePath(QStringLiteral("table-%1.csv").arg(size));
        WriteWrittenForms(input, punctuated, csv);
        const QString tidyOut = work.filePath(QStringLiteral("tidy.txt"));
        std::vector<std::string> tidy = {program, "--format", "--tidy"};
        tidy.insert(tidy.end(), rules.begin(), rules.end());
        tidy.push_back(QFile::encodeName(punctuated).toStdString());
        std::vector<std::string> column = {program, "--format", "--column", "Phone"};
        column.insert(column.end(), rules.begin(), rules.end());
        column.push_back(QFile::encodeName(csv).toStdString());

        std::map<std::string, std::vector<double>> ms;
        std::map<std::string, std::vector<double>> mb;
        const auto record = [&](const std::string& key, const Measured& measured) {
            ms[key].push_back(measured.milliseconds);
            mb[key].push_back(measured.peakMegabytes);
        };
        const QString peak = work.filePath(QStringLiteral("peak.txt"));
        for (int round = 0; round < kFormatRounds; ++round) {
            record("mawk", Run({"mawk", AwkProgram()}, input, awkOut, peak));
            record("stdout", Run(toStandardOutput, input, ourOut, peak));
            record("output", Run(toFile, input, work.filePath(QStringLiteral("empty.txt")), peak));
            record("tidy", Run(tidy, punctuated, tidyOut, peak));
            record("column", Run(column, csv, work.filePath(QStringLiteral("column.csv")), peak));
        }
        const QByteArray expected = Bytes(awkOut);
        const bool sameOut = Bytes(ourOut) == expected;
        const bool sameFile = Bytes(fileOut) == expected;
        const double awk = Median(ms["mawk"]);
        const auto line = [&](const char* label, const std::string& key, const char* same) {
            std::printf("%-12lld %-34s %10.1f %10.1f %8.3f %s\n", size, label, Median(ms[key]),
                        Median(mb[key]), Median(ms[key]) / awk, same);
        };
        line("mawk < in > out", "mawk", "");
        line("dialwright --format in > out", "stdout", sameOut ? "yes" : "NO");
        line("dialwright --format in --output", "output", sameFile ? "yes" : "NO");
        // A tenth of the texts are written with punctuation already, so --tidy lays those out
        // too: its bytes differ from mawk's by design (the tests compare it with the window's).
        line("--tidy, punctuated > out", "tidy", "");
        line("--column Phone, 4-field CSV > out", "column", "");
        std::printf("%-12s %-34s %10s %10s %8.3f\n", "", "  --tidy / plain --format", "", "",
                    Median(ms["tidy"]) / Median(ms["stdout"]));
        std::printf("%-12s %-34s %10s %10s %8.3f\n", "", "  --column / plain --format", "", "",
                    Median(ms["column"]) / Median(ms["stdout"]));
        for (const QString& each : {input, punctuated, csv})
            QFile::remove(each);
    }
    std::printf("\n(ratio: time beside mawk's in the same run; --output also syncs the file to "
                "disk before it replaces the old one)\n");
    return 0;
}

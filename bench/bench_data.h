#pragma once

#include <QElapsedTimer>
#include <QString>

#include <array>
#include <vector>

// The list sizes the programs that print their own figures measure at, and their rounds.
inline constexpr std::array<qint64, 2> kSizes = {1'000'000, 10'000'000};
inline constexpr int kRounds = 3;

// Phone texts for the big-list figures: 70% ten digits, 20% seven digits, 10% other text,
// the same every run.
std::vector<QString> MakePhoneTexts(size_t count);

// Writes that many phone texts to a file, CR LF after each (a million make about 12 MB).
void WritePhoneFile(const QString& path, size_t count);

// The awk program of AwkMilliseconds, for benchmarks that run it themselves.
const char* AwkProgram();

// A short awk program doing the formatting run and the comma-delimited save of the two sample
// rules on the file, for comparison; returns its time in milliseconds.
double AwkMilliseconds(const QString& input, const QString& output);

// The time on a clock, for the figures that are printed rather than timed by the library.
double Milliseconds(const QElapsedTimer& clock);
double Seconds(const QElapsedTimer& clock);

// The middle of a few rounds' figures: one slow round on a busy machine does not move it.
double Median(std::vector<double> values);

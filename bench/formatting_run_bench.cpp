// The formatting run over a million phone texts in the real window (offscreen platform, real
// models and views), next to the bare pattern loop over the same texts.

#include "bench_data.h"
#include "bench_desktop.h"

#include "core/digit_pattern.h"
#include "core/formatting_rules.h"
#include "window/form1.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr size_t kPhones = 1'000'000;

const std::vector<QString>& Phones()
{
    static const std::vector<QString> phones = MakePhoneTexts(kPhones);
    return phones;
}

// The raw work: first fitting rule, digits laid into its pattern, results kept.
double BareLoopSeconds()
{
    const QString ten = DigitPlaces(QStringLiteral("xxx-xxx-xxxx"));
    const QString seven = DigitPlaces(QStringLiteral("xxx/xxxx"));
    std::vector<QString> out;
    out.reserve(kPhones);
    QElapsedTimer clock;
    clock.start();
    for (const QString& phone : Phones()) {
        if (phone.size() == 10)
            out.push_back(ApplyDigitPattern(phone, ten));
        else if (phone.size() == 7)
            out.push_back(ApplyDigitPattern(phone, seven));
        else
            out.push_back(phone);
    }
    benchmark::DoNotOptimize(out.data());
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

void BM_BareDigitPatternLoop(benchmark::State& state)
{
    for (auto _ : state) {
        const double seconds = BareLoopSeconds();
        state.SetIterationTime(seconds);
    }
}

void BM_FormattingRunClickToDone(benchmark::State& state)
{
    BenchDesktop desktop;
    Form1 form(desktop, QStringLiteral("/nonexistent"));
    form.show();
    ListModel& phones = form.ListView1->items();
    phones.reserve(kPhones, kPhones * 10);
    for (const QString& phone : Phones())
        phones.appendDeferred(phone);
    phones.flushAppends();
    form.PushButton11_Click();  // the two sample rules (and three sample numbers)
    QCoreApplication::processEvents();

    double bare = 0;
    double longestGap = 0;
    for (auto _ : state) {
        form.ListView3->items().clear();
        QCoreApplication::processEvents();
        bare = BareLoopSeconds();
        desktop.resetGaps();
        QElapsedTimer clock;
        clock.start();
        form.PushButton7_Click();
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        longestGap = std::max(longestGap, desktop.longestGapMs());
        state.counters["ratio_to_bare_loop"] = seconds / bare;
    }
    state.counters["bare_loop_ms"] = bare * 1e3;
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
    state.counters["results"] = static_cast<double>(form.ListView3->count());
}

BENCHMARK(BM_BareDigitPatternLoop)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FormattingRunClickToDone)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(false);

}  // namespace

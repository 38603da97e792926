#include "app/form1.h"

#include "app/engine/digit_pattern.h"
#include "app/engine/formatting_rules.h"
#include "app/engine/pass_through.h"
#include "app/errors/procedure.h"
#include "app/lists/character_count.h"
#include "app/lists/covered_rows.h"
#include "app/lists/raw_array.h"

#include <QScopeGuard>

#include <cstring>
#include <functional>
#include <new>

// "Start Formatting Phone Numbers": each phone text is laid into the pattern of the first rule
// whose length equals the text's length, or copied unchanged, and appended to the results.
void Form1::PushButton7_Click()
{
    if (FormattingBusy)  // 100: a run is already under way
        return;
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton7_Click "));
    ListModel& phones = ListView1->items();
    ListModel& rules = ListView2->items();
    ListModel& results = ListView3->items();
    FormattingRules formatting;
    // The hourglass comes back at every item (step 110), so the pacer need not restore it.
    Pacer pacer = MakePacer(false);
    // The results of one run are one step to undo.
    ListHistory::Appending appending(history_, results);

    proc.step(102, [&] { FormattingBusy = true; });
    bool empty = false;
    proc.step(104, [&] { empty = phones.count() == 0; });
    if (!empty) {
        // A phone item that leaves the list while the run yields is skipped: appending the
        // previous text again would corrupt the results.
        CoveredRows covered(phones, CoveredRows::WhenRowsLeave::Skip);
        qsizetype n = 0;
        proc.step(106, [&] {
            n = covered.recount();
            // Room for every result at once; pages never written cost nothing.
            results.reserve(n, phones.texts().characters() + n * 4);
        });
        // Reused from item to item, so formatting allocates nothing per number.
        const TextColumn& column = phones.texts();
        QString current;
        QString formatted;
        RawArray<char> narrowText;
        QByteArray narrowFormatted;
        const std::function<void()> between = [&pacer] { pacer.paceSlice(); };
        // A list of eight-bit text is read and formatted as it is stored, without widening or
        // copying it. An error report shown for an item lets queued calls run, and one that adds
        // a wider text to the phone list moves the whole list to new storage: the text under
        // way is copied just before any box.
        bool narrow = false;
        QLatin1StringView narrowCurrent;
        bool viewsPhones = false;
        // The copy failed for want of memory: the item is reported at its next step, not kept.
        bool lost = false;
        proc.setBeforeBox([&] {
            if (!viewsPhones)
                return;
            viewsPhones = false;
            try {
                narrowText.truncate(0);
                if (!narrowCurrent.isEmpty())
                    std::memcpy(narrowText.grow(narrowCurrent.size()), narrowCurrent.data(),
                                static_cast<size_t>(narrowCurrent.size()));
                narrowCurrent = QLatin1StringView(narrowText.data(), narrowCurrent.size());
            } catch (const std::bad_alloc&) {
                narrowCurrent = {};
                lost = true;
            }
        });
        // The hook refers to this block's locals; the reports after it need none.
        const auto unhook = qScopeGuard([&proc] { proc.setBeforeBox({}); });
        for (qsizetype i = 0; i < n; ++i) {
            proc.step(108, [&] {
                pacer.pace();
                // The memory a row of millions of characters is copied into as its result is
                // taken in slices first, with window events between, so that the copy itself
                // takes milliseconds. The row is read afresh after.
                if (i < phones.count() && phones.cellUnits(i, 0) >= kSliceBytes)
                    results.prepareRoom(phones.cellUnits(i, 0), between);
            });
            proc.step(110, [&] { setPointer(Pointer::Hourglass); });
            if (!covered.reach(i))
                continue;
            narrow = !column.wide();
            lost = false;
            proc.step(112, [&] {
                if (narrow) {
                    narrowCurrent = column.narrow(i);
                    viewsPhones = true;
                } else {
                    column.read(i, current);
                }
            });
            // In characters: a character beyond the Basic Multilingual Plane is one.
            const qsizetype length = narrow ? narrowCurrent.size() : CharacterCount(current);
            // Why the result is its phone text unchanged, if it is: drawn and told beside it.
            RowMark mark = RowMark::NoRule;
            const std::vector<FormattingRules::Rule>* rulesNow = nullptr;
            proc.step(114, [&] { rulesNow = &formatting.read(rules); });
            if (rulesNow != nullptr) {
                for (const FormattingRules::Rule& rule : *rulesNow) {
                    if (!rule.length) {
                        proc.report(116, ErrorDescription(rule.lengthError));
                        continue;
                    }
                    if (*rule.length != length)
                        continue;
                    mark = narrow ? UnchangedByRule(narrowCurrent, rule.pattern)
                                  : UnchangedByRule(QStringView(current), rule.pattern);
                    proc.step(118, [&] {
                        if (lost)
                            throw std::bad_alloc();
                        if (narrow && rule.narrowPattern) {
                            ApplyDigitPatternTo(narrowFormatted, narrowCurrent,
                                                QLatin1StringView(*rule.narrowPattern));
                            narrowCurrent = QLatin1StringView(narrowFormatted);
                            viewsPhones = false;
                            return;
                        }
                        if (narrow) {
                            current = QString(narrowCurrent);
                            narrow = false;
                            viewsPhones = false;
                        }
                        ApplyDigitPatternTo(formatted, current, rule.pattern);
                        current.swap(formatted);
                    });
                    break;
                }
            }
            proc.step(122, [&] {
                if (lost)
                    throw std::bad_alloc();
                const qsizetype row = narrow ? results.appendDeferred(narrowCurrent)
                                             : results.appendDeferred(current);
                results.setMark(row, mark);
            });
            viewsPhones = false;
        }
        proc.step(126, [&] {
            results.flushAppends();
            setPointer(Pointer::Default);
        });
        appending.record();
        proc.step(128, [&] { MsgBox(QStringLiteral("Done.")); });
    } else {
        proc.step(130, [&] { MsgBox(QStringLiteral("No files added.")); });
    }
    FormattingBusy = false;  // 132
}

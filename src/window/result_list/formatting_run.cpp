#include "window/form1.h"

#include "core/formatting_rules.h"
#include "lists/covered_rows.h"
#include "lists/current_text.h"
#include "lists/raw_array.h"
#include "window/errors/procedure.h"

#include <QScopeGuard>

#include <functional>

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
        CurrentText text;
        const std::function<void()> between = [&pacer] { pacer.paceSlice(); };
        // A box lets queued calls run, and one that adds a wider text to the phone list moves
        // the whole list to new storage: the text under way stops viewing the list first.
        proc.setBeforeBox([&text] { text.holdOwnCopy(); });
        // The hook refers to this block's locals; the reports after it need none.
        const auto unhook = qScopeGuard([&proc] { proc.setBeforeBox({}); });
        for (qsizetype i = 0; i < n; ++i) {
            proc.step(108, [&] {
                pacer.pace();
                // The memory a row of millions of characters is copied into as its result is
                // taken in slices first, with window events between, so that the copy itself
                // takes milliseconds. The row is read afresh after.
                if (i < column.count() && column.units(i) >= kSliceBytes)
                    results.prepareRoom(column.units(i), between);
            });
            proc.step(110, [&] { setPointer(Pointer::Hourglass); });
            if (!covered.reach(i))
                continue;
            // No yield from here to the append: only a box lets the list change.
            proc.step(112, [&] { text.read(column, i); });
            const qsizetype length = text.length();
            // Why the result is its phone text unchanged, if it is: drawn and told beside it.
            RowMark mark = RowMark::NoRule;
            const std::vector<FormattingRules::Rule>* rulesNow = nullptr;
            proc.step(114, [&] { rulesNow = &formatting.read(rules); });
            if (rulesNow != nullptr) {
                for (const FormattingRules::Rule& rule : *rulesNow) {
                    if (rule.country) {
                        // A valid number of the rule's country is laid out by its plan; any
                        // other text goes on to the next rule.
                        bool fitted = false;
                        proc.step(118, [&] {
                            fitted =
                                text.formatByCountry(*rule.country) == CountryOutcome::Kind::Fitted;
                        });
                        if (!fitted)
                            continue;
                        mark = RowMark::None;
                        break;
                    }
                    if (!rule.length) {
                        proc.report(116, ErrorDescription(rule.lengthError));
                        continue;
                    }
                    if (*rule.length != length)
                        continue;
                    mark = text.unchangedBy(rule);
                    proc.step(118, [&] { text.format(rule); });
                    break;
                }
            }
            proc.step(122, [&] { results.setMark(text.appendTo(results), mark); });
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

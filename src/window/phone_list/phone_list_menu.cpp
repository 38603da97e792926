#include "window/form1.h"

#include "lists/number_list_rewrite.h"
#include "window/errors/procedure.h"

#include <QMenu>

namespace {

// Builds the new rows beside the list, a row at a time, with window events between. False when
// the list changed meanwhile (the paths of a drop made just before arrived): the rows built so
// far no longer match it, and nothing may be exchanged.
template <class Rows> bool BuildBeside(Pacer& pacer, const ListModel& list, Rows& rows)
{
    const quint64 revision = list.revision();
    const qsizetype count = list.count();
    for (qsizetype row = 0; row < count; ++row) {
        if (pacer.pace() && list.revision() != revision)
            return false;
        rows.add(list.texts(), row);
    }
    return true;
}

}  // namespace

// Whatever opened the menu ends a move that may be under way: no number moves behind it.
void Form1::ListView1_ContextMenu(const QPoint& globalPos)
{
    ListView1_MouseUp();
    if (!PhoneListMenu->isVisible())
        PhoneListMenu->popup(globalPos);
}

// "Tidy Numbers": every number written with punctuation becomes its digits alone; any other
// text stays as it is. Clicks and keys wait until the list has been tidied.
void Form1::mnuTidyNumbers_Click()
{
    if (isBusy() || FormattingBusy)
        return;
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.mnuTidyNumbers_Click "));
    TidiedRows tidied;
    bool whole = false;
    setPointer(Pointer::Hourglass);
    const bool built = proc.step(100, [&] {
        Pacer pacer = MakePacer(true, Pacer::Input::Waits);
        whole = BuildBeside(pacer, ListView1->items(), tidied);
        if (whole && tidied.counts().tidied > 0)
            ReplaceRows(*ListView1, tidied.take());
    });
    setPointer(Pointer::Default);
    if (!built)
        return;
    MsgBox(whole ? TidyReport(tidied.counts())
                 : QStringLiteral("The phone list changed while it was being tidied, so nothing "
                                  "was tidied. Please try again."));
}

// "Remove Duplicate Numbers": the first of each number stays, however it is written, and so
// does the first of each other text; the rest leave the list.
void Form1::mnuRemoveDuplicates_Click()
{
    if (isBusy() || FormattingBusy)
        return;
    Procedure proc(desktop_,
                   QStringLiteral("in Tessaline2021/08/31.Form1.mnuRemoveDuplicates_Click "));
    qsizetype removed = 0;
    bool whole = false;
    setPointer(Pointer::Hourglass);
    const bool built = proc.step(100, [&] {
        Pacer pacer = MakePacer(true, Pacer::Input::Waits);
        // The keys seen are let go before the box shows.
        DistinctRows distinct(ListView1->items().texts(), [&pacer] { pacer.paceSlice(); });
        whole = BuildBeside(pacer, ListView1->items(), distinct);
        removed = distinct.removed();
        if (whole && removed > 0)
            ReplaceRows(*ListView1, distinct.take());
    });
    setPointer(Pointer::Default);
    if (!built)
        return;
    MsgBox(whole ? DuplicatesReport(removed)
                 : QStringLiteral("The phone list changed while duplicates were being looked "
                                  "for, so none were removed. Please try again."));
}

#include "window/form1.h"

#include <exception>

// Undo and redo wait while an operation is under way: the hourglass, a run, or rows still
// being appended; and while a button is held on the phone list, whose moving number would
// otherwise become another. Once they may go, the list they changed shows the row they touched.
void Form1::Form_Undo()
{
    if (isBusy() || FormattingBusy || buttonHeldOnPhoneList() || history_.appendingUnderWay())
        return;
    EndMoveStep();
    try {
        ShowChanged(history_.undo());
    } catch (const std::exception&) {
        // A step that cannot be undone leaves nothing safe to undo before it.
        history_.forget();
    }
}

void Form1::Form_Redo()
{
    if (isBusy() || FormattingBusy || buttonHeldOnPhoneList() || history_.appendingUnderWay())
        return;
    EndMoveStep();
    try {
        ShowChanged(history_.redo());
    } catch (const std::exception&) {
        history_.forget();
    }
}

void Form1::ShowChanged(const ListHistory::Shown& shown)
{
    for (ListView* list : {ListView1, ListView2, ListView3})
        if (&list->items() == shown.list && shown.row >= 0 && shown.row < list->count())
            list->scrollToRow(shown.row);
}

void Form1::RecordStep(ListHistory::Step step)
{
    EndMoveStep();
    history_.record(std::move(step));
}

void Form1::RecordAppends(ListView& list, qsizetype firstRow)
{
    RecordAppends({{&list, firstRow}});
}

void Form1::RecordAppends(std::initializer_list<std::pair<ListView*, qsizetype>> lists)
{
    ListHistory::Step step;
    step.reserve(lists.size());
    for (const auto& [list, firstRow] : lists) {
        const qsizetype added = list->count() - firstRow;
        if (firstRow >= 0 && added > 0)
            step.push_back(RowsAdded(list->items(), firstRow, added));
    }
    RecordStep(std::move(step));
}

void Form1::RemoveSelectedRow(ListView& list)
{
    const qsizetype row = list.selectedIndex();
    if (row < 0 || row >= list.count())
        return;
    ListHistory::Step step;
    step.push_back(RowsTaken(list.items(), row, list.items().takeRows(row, row + 1)));
    RecordStep(std::move(step));
}

// The rows move into the step whole: clearing ten million numbers stays as quick as it was,
// and so does bringing them back.
void Form1::ClearList(ListView& list)
{
    if (list.count() == 0)
        return;
    ListHistory::Step step;
    step.push_back(RowsTaken(list.items(), 0, list.items().takeRows(0, list.count())));
    RecordStep(std::move(step));
}

// The rows the list had move into the step whole, as a clear's do: undo and redo exchange the
// two sets of rows, whatever their size, without copying a row.
void Form1::ReplaceRows(ListView& list, TextColumn texts)
{
    // A move's step reads the texts it moved, so it is recorded while they are in the list.
    EndMoveStep();
    ListModel::Rows rows;
    rows.text = std::move(texts);
    list.items().exchangeRows(rows);
    ListHistory::Step step;
    step.push_back(RowsReplaced(list.items(), std::move(rows)));
    RecordStep(std::move(step));
}

void Form1::EndMoveStep()
{
    if (moveExchanges_.empty())
        return;
    ListHistory::Step step;
    step.push_back(TextsExchanged(ListView1->items(), std::exchange(moveExchanges_, {})));
    history_.record(std::move(step));
}

#include "window/result_list/clipboard.h"

#include "files/aligned_columns.h"
#include "lists/covered_rows.h"
#include "window/desktop/desktop.h"
#include "window/desktop/pacer.h"

#include <new>
#include <vector>

namespace Main {

namespace {

// What the copy will write: the padded cells and their TABs, each last cell as long as it is
// (it is never padded) and a line end per row; exact for ASCII, and the text grows past it
// only for the bytes other characters take beyond one. Reserving every row as long as the longest
// would ask for hundreds of gigabytes for one long result among many short ones.
qsizetype WrittenSize(const ListModel& list, const std::vector<qsizetype>& widths, qsizetype rows)
{
    if (widths.empty())
        return 0;
    const int last = static_cast<int>(widths.size()) - 1;
    qsizetype perRow = 2;
    for (int k = 0; k < last; ++k)
        perRow += widths[static_cast<size_t>(k)] + 1;
    qsizetype lastCells = 0;
    if (last == 0) {
        lastCells = list.texts().characters();
    } else {
        for (qsizetype r = 0; r < rows; ++r)
            lastCells += list.subItem(r, last).size();
    }
    qsizetype padded = 0;
    if (__builtin_mul_overflow(perRow, rows, &padded)
        || __builtin_add_overflow(padded, lastCells, &padded))
        throw std::bad_alloc();
    return padded;
}

}  // namespace

QByteArray BuildAlignedText(const ListModel& list, const std::function<void()>& pace)
{
    CoveredRows covered(list, CoveredRows::WhenRowsLeave::Fail);
    const int columns = list.columnCountTotal();
    std::vector<qsizetype> widths;
    widths.reserve(static_cast<size_t>(columns));
    for (int k = 0; k < columns; ++k)
        widths.push_back(AlignedColumns::MeasureColumn(list, k, covered, pace));

    QByteArray text;
    const qsizetype rows = covered.recount();
    text.reserve(WrittenSize(list, widths, rows));
    for (qsizetype r = 0; r < rows; ++r) {
        pace();
        covered.reach(r);
        if (!list.checked(r))
            continue;
        const qsizetype lineStart = text.size();
        for (int k = 0; k < columns; ++k) {
            // The first cell was paced for with its row.
            if (k > 0) {
                pace();
                covered.reach(r);
            }
            if (k + 1 < columns) {
                AlignedColumns::AppendPadded(text, list, r, k, widths[static_cast<size_t>(k)]);
                text.append('\t');
            } else {
                list.appendCellUtf8(text, r, k);
            }
        }
        const char* written = text.constData();
        qsizetype end = text.size();
        while (end > lineStart && written[end - 1] == ' ')
            --end;
        if (end != text.size())
            text.truncate(end);
        text.append("\r\n", 2);
    }
    return text;
}

CopyOutcome CopyListToClipboard(Desktop& desktop, Pacer& pacer, const ListModel& list)
{
    if (list.count() == 0)
        return CopyOutcome::NothingToCopy;
    const QByteArray text = BuildAlignedText(list, [&pacer] { pacer.pace(); });
    ClearClipboard(desktop);
    return SetClipboardText(desktop, text) ? CopyOutcome::Copied : CopyOutcome::ClipboardRefused;
}

void ClearClipboard(Desktop& desktop)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt)
        if (desktop.tryClearClipboard())
            return;
}

bool SetClipboardText(Desktop& desktop, const QByteArray& utf8)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt)
        if (desktop.trySetClipboardText(utf8))
            return true;
    return false;
}

}  // namespace Main

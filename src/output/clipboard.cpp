#include "output/clipboard.h"

#include "app/desktop/desktop.h"
#include "app/desktop/pacer.h"
#include "app/lists/covered_rows.h"
#include "output/aligned_columns.h"

#include <vector>

namespace Main {

QString BuildAlignedText(const ListModel& list, const std::function<void()>& pace)
{
    CoveredRows covered(list, CoveredRows::WhenRowsLeave::Fail);
    const int columns = list.columnCountTotal();
    std::vector<qsizetype> widths;
    widths.reserve(static_cast<size_t>(columns));
    for (int k = 0; k < columns; ++k)
        widths.push_back(AlignedColumns::MeasureColumn(list, k, covered, pace));

    QString text;
    const qsizetype rows = covered.recount();
    qsizetype expected = 0;
    for (const qsizetype width : widths)
        expected += width + 1;
    text.reserve(rows * (expected + 1));
    for (qsizetype r = 0; r < rows; ++r) {
        pace();
        covered.reach(r);
        if (!list.checked(r))
            continue;
        const qsizetype lineStart = text.size();
        for (int k = 0; k < columns; ++k) {
            pace();
            covered.reach(r);
            if (k + 1 < columns) {
                AlignedColumns::AppendPadded(text, list, r, k, widths[static_cast<size_t>(k)]);
                text.append(QLatin1Char('\t'));
            } else {
                list.appendCell(text, r, k);
            }
        }
        const QChar* written = text.constData();
        qsizetype end = text.size();
        while (end > lineStart && written[end - 1] == QLatin1Char(' '))
            --end;
        if (end != text.size())
            text.truncate(end);
        text.append(u"\r\n");
    }
    return text;
}

CopyOutcome CopyListToClipboard(Desktop& desktop, Pacer& pacer, const ListModel& list)
{
    if (list.count() == 0)
        return CopyOutcome::NothingToCopy;
    const QString text = BuildAlignedText(list, [&pacer] { pacer.pace(); });
    ClearClipboard(desktop);
    return SetClipboardText(desktop, text) ? CopyOutcome::Copied : CopyOutcome::ClipboardRefused;
}

void ClearClipboard(Desktop& desktop)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt)
        if (desktop.tryClearClipboard())
            return;
}

bool SetClipboardText(Desktop& desktop, const QString& text)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt)
        if (desktop.trySetClipboardText(text))
            return true;
    return false;
}

}  // namespace Main

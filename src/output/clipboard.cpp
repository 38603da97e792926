#include "output/clipboard.h"

#include "app/form1.h"

#include <algorithm>
#include <vector>

namespace Main {

QString BuildAlignedText(const ListModel& list, const std::function<void()>& pace)
{
    const int columns = list.columnCountTotal();
    std::vector<qsizetype> widths(static_cast<size_t>(columns), 0);
    for (int k = 0; k < columns; ++k) {
        qsizetype& width = widths[static_cast<size_t>(k)];
        for (qsizetype r = 0; r < list.count(); ++r) {
            pace();
            if (r >= list.count())
                break;
            width = std::max(width, k == 0 ? list.text(r).size() : list.subItem(r, k).size());
        }
    }

    QString text;
    const qsizetype rows = list.count();
    qsizetype expected = 0;
    for (const qsizetype width : widths)
        expected += width + 1;
    text.reserve(rows * (expected + 1));
    for (qsizetype r = 0; r < rows; ++r) {
        pace();
        if (r >= list.count())
            break;
        if (!list.checked(r))
            continue;
        const qsizetype lineStart = text.size();
        for (int k = 0; k < columns; ++k) {
            pace();
            if (r >= list.count())
                break;
            const QString& cell = k == 0 ? list.text(r) : list.subItem(r, k);
            text += cell;
            const qsizetype width = widths[static_cast<size_t>(k)];
            if (width > cell.size())
                text += QString(width - cell.size(), QLatin1Char(' '));
            text += QLatin1Char('\t');
        }
        if (text.size() > lineStart)
            text.chop(1);  // the last TAB
        qsizetype end = text.size();
        while (end > lineStart && text[end - 1] == QLatin1Char(' '))
            --end;
        text.truncate(end);
        text += QLatin1String("\r\n");
    }
    return text;
}

CopyOutcome CopyListToClipboard(Form1& form, const ListModel& list)
{
    if (list.count() == 0)
        return CopyOutcome::NothingToCopy;
    const QString text = BuildAlignedText(list, [&form] { form.YieldIfDue(); });
    ClearClipboard(form.desktop());
    return SetClipboardText(form.desktop(), text) ? CopyOutcome::Copied
                                                  : CopyOutcome::ClipboardRefused;
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

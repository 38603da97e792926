#include "output/save_list.h"

#include "app/form1.h"
#include "app/procedure.h"
#include "output/atomic_text_file.h"

#include <algorithm>
#include <vector>

namespace SaveList {

namespace {

void AppendPadded(QString& line, const QString& cell, qsizetype width)
{
    line += cell;
    if (width > cell.size())
        line += QString(width - cell.size(), QLatin1Char(' '));
    line += QLatin1Char('\t');
}

}  // namespace

void SaveListviewProperlySpaced(Form1& form, const ListModel& list, const QString& fileName)
{
    Procedure proc(form.desktop(),
                   QStringLiteral("in Tessaline2021/08/31.SaveList.SaveListviewProperlySpaced "));
    const auto keepBusy = [&form] {
        if (form.YieldIfDue())
            form.setPointer(Form1::Pointer::Hourglass);
    };

    std::vector<qsizetype> widths;  // 110
    int columns = 0;
    proc.step(112, [&] { columns = list.columnCountTotal(); });
    for (int k = 0; k < columns; ++k) {
        qsizetype m = 0;  // 114
        proc.step(116, [&] { m = std::max(m, list.columnCaption(k).size()); });
        proc.step(120, [&] {
            for (qsizetype r = 0; r < list.count(); ++r) {
                keepBusy();  // 122
                if (r >= list.count())
                    break;
                const qsizetype length = k == 0 ? list.text(r).size() : list.subItem(r, k).size();
                m = std::max(m, length);
            }
        });
        widths.push_back(m);  // 136, 138
    }

    AtomicTextFile file(fileName);
    // A file that cannot be created is reported once; nothing else would succeed after it.
    if (!proc.step(156, [&] { file.create(); }))
        return;
    QString line;  // 152
    proc.step(158, [&] {
        for (int k = 0; k < columns; ++k) {
            keepBusy();  // 160
            AppendPadded(line, list.columnCaption(k), widths[static_cast<size_t>(k)]);
        }
    });
    if (!proc.step(170, [&] { file.writeLine(line); }))
        return;
    qsizetype rows = 0;
    proc.step(182, [&] { rows = list.count(); });
    for (qsizetype r = 0; r < rows; ++r) {
        proc.step(184, [&] { keepBusy(); });
        // Rows that left the list while the save yielded are not written.
        if (r >= list.count())
            break;
        line.clear();          // 186
        if (!list.checked(r))  // 188
            continue;
        proc.step(190, [&] {
            const int now = list.columnCountTotal();
            for (int k = 0; k < now && k < columns; ++k) {
                keepBusy();  // 192
                if (r >= list.count())
                    break;
                AppendPadded(line, k == 0 ? list.text(r) : list.subItem(r, k),
                             widths[static_cast<size_t>(k)]);
            }
        });
        if (r >= list.count())
            break;
        if (!proc.step(222, [&] { file.writeLine(line); }))
            return;
    }
    proc.step(232, [&] { file.commit(); });
}

}  // namespace SaveList

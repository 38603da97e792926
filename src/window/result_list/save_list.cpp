#include "window/result_list/save_list.h"

#include "files/aligned_columns.h"
#include "files/text_file_writer.h"
#include "lists/character_count.h"
#include "lists/covered_rows.h"
#include "window/desktop/desktop.h"
#include "window/desktop/pacer.h"
#include "window/errors/procedure.h"

#include <algorithm>
#include <vector>

namespace SaveList {

void SaveListviewProperlySpaced(Desktop& desktop, Pacer& pacer, const ListModel& list,
                                const QString& fileName)
{
    Procedure proc(desktop,
                   QStringLiteral("in Tessaline2021/08/31.SaveList.SaveListviewProperlySpaced "));
    const auto pace = [&pacer] { pacer.pace(); };

    CoveredRows covered(list, CoveredRows::WhenRowsLeave::Fail);

    std::vector<qsizetype> widths;  // 110
    int columns = 0;
    proc.step(112, [&] { columns = list.columnCountTotal(); });
    for (int k = 0; k < columns; ++k) {
        qsizetype m = 0;  // 114
        proc.step(116, [&] { m = std::max(m, CharacterCount(list.columnCaption(k))); });
        // 120 to 134: a row that left the list is reported; the writer ends, nothing written.
        const bool measured = proc.step(
            124, [&] { m = std::max(m, AlignedColumns::MeasureColumn(list, k, covered, pace)); });
        if (!measured)
            return;
        widths.push_back(m);  // 136, 138
    }

    TextFileWriter file(fileName, [&pacer] { pacer.paceSlice(); });
    // A file that cannot be created is reported once; nothing else would succeed after it.
    if (!proc.step(156, [&] { file.create(); }))
        return;
    QString line;  // 152
    proc.step(158, [&] {
        for (int k = 0; k < columns; ++k) {
            pacer.pace();  // 160
            AlignedColumns::AppendPadded(line, list.columnCaption(k),
                                         widths[static_cast<size_t>(k)]);
            line += QLatin1Char('\t');
        }
    });
    if (!proc.step(170, [&] { file.writeLine(line); }))
        return;
    qsizetype rows = 0;
    proc.step(182, [&] { rows = covered.recount(); });
    for (qsizetype r = 0; r < rows; ++r) {
        proc.step(184, [&] { pacer.pace(); });
        line.clear();  // 186
        // A row that left the list is reported; the writer ends and the old file stays.
        bool checked = false;
        if (!proc.step(188, [&] {
                covered.reach(r);
                checked = list.checked(r);
            }))
            return;
        if (!checked)
            continue;
        const bool read = proc.step(194, [&] {
            const int now = list.columnCountTotal();  // 190
            for (int k = 0; k < now && k < columns; ++k) {
                pacer.pace();  // 192
                covered.reach(r);
                AlignedColumns::AppendPadded(line, list, r, k, widths[static_cast<size_t>(k)]);
                line += QLatin1Char('\t');
            }
        });
        if (!read)
            return;
        if (!proc.step(222, [&] { file.writeLine(line); }))
            return;
    }
    proc.step(232, [&] { file.commit(); });
}

}  // namespace SaveList

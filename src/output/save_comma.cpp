#include "output/save_comma.h"

#include "app/desktop/desktop.h"
#include "app/desktop/pacer.h"
#include "app/errors/procedure.h"
#include "app/lists/covered_rows.h"
#include "output/overwrite_question.h"
#include "output/text_file_writer.h"

#include <functional>

namespace SaveComma {

void SaveListviewAsCommaDelimToFile(Desktop& desktop, Pacer& pacer, const QString& applicationTitle,
                                    const ListModel& list, const QString& fileName)
{
    Procedure proc(
        desktop,
        QStringLiteral("in Tessaline2021/08/31.SaveComma.SaveListviewAsCommaDelimToFile "));
    bool replace = false;
    proc.step(102, [&] { replace = ConfirmOverwrite(desktop, applicationTitle, fileName); });
    if (!replace)  // 100 to 106
        return;

    const std::function<void()> between = [&pacer] { pacer.paceSlice(); };
    TextFileWriter file(fileName, between);
    // A file that cannot be created is reported once; nothing else would succeed after it.
    if (!proc.step(120, [&] { file.create(); }))
        return;
    // Lines are built in UTF-8, the file's own encoding, straight from the list, into the save's
    // own buffer: a row is read whole between two yields, so it is never part old, part new.
    std::string line;
    if (list.columnCountTotal() > 1) {  // 122
        proc.step(124, [&] { line.clear(); });
        proc.step(126, [&] {
            for (int k = 0; k < list.columnCountTotal(); ++k)
                line += list.columnCaption(k).toStdString() + ',';
        });
        if (!proc.step(132, [&] { file.writeUtf8Line(line); }))
            return;
    }
    // The rows counted here are written; one that leaves the list meanwhile ends the save.
    const CoveredRows covered(list, CoveredRows::WhenRowsLeave::Fail);
    const qsizetype rows = covered.count();  // 134
    for (qsizetype r = 0; r < rows; ++r) {
        proc.step(136, [&] { pacer.pace(); });
        line.clear();  // 150
        // A row that left the list is reported; the writer ends and the old file stays.
        const bool read = proc.step(154, [&] {
            covered.reach(r);
            const int columns = list.columnCountTotal();  // 152
            for (int k = 0; k < columns; ++k) {
                list.appendCellUtf8(line, r, k);
                if (k != list.columnCountTotal() - 1)  // 160, 162
                    line += ',';
            }
        });
        if (!read)
            return;
        // 166 to 170: the last-line rule reads the row count afresh.
        if (list.columnCountTotal() <= 1 && r != list.count() - 1)
            line += ',';
        if (!proc.step(172, [&] { file.writeUtf8Line(line); }))
            return;
    }
    proc.step(182, [&] { file.commit(); });
}

}  // namespace SaveComma

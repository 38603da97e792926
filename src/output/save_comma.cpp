#include "output/save_comma.h"

#include "app/form1.h"
#include "app/procedure.h"
#include "output/atomic_text_file.h"

namespace SaveComma {

void SaveListviewAsCommaDelimToFile(Form1& form, const ListModel& list, const QString& fileName)
{
    Procedure proc(
        form.desktop(),
        QStringLiteral("in Tessaline2021/08/31.SaveComma.SaveListviewAsCommaDelimToFile "));
    bool replace = false;
    proc.step(102, [&] { replace = form.ConfirmOverwrite(fileName); });  // 100 to 104
    if (!replace)                                                        // 106
        return;

    AtomicTextFile file(fileName);
    // A file that cannot be created is reported once; nothing else would succeed after it.
    if (!proc.step(120, [&] { file.create(); }))
        return;
    QString line;
    if (list.columnCountTotal() > 1) {  // 122
        proc.step(124, [&] { line.clear(); });
        proc.step(126, [&] {
            for (int k = 0; k < list.columnCountTotal(); ++k)
                line += list.columnCaption(k) + QLatin1Char(',');
        });
        if (!proc.step(132, [&] { file.writeLine(line); }))
            return;
    }
    qsizetype rows = 0;
    proc.step(134, [&] { rows = list.count(); });
    for (qsizetype r = 0; r < rows; ++r) {
        proc.step(136, [&] { form.YieldIfDue(); });
        // Rows that left the list while the save yielded are not written.
        if (r >= list.count())
            break;
        line.clear();                                 // 150
        const int columns = list.columnCountTotal();  // 152
        proc.step(154, [&] {
            for (int k = 0; k < columns; ++k) {
                line += k == 0 ? list.text(r) : list.subItem(r, k);
                if (k != list.columnCountTotal() - 1)  // 160, 162
                    line += QLatin1Char(',');
            }
        });
        if (list.columnCountTotal() <= 1 && r != list.count() - 1)  // 166 to 170
            line += QLatin1Char(',');
        if (!proc.step(172, [&] { file.writeLine(line); }))
            return;
    }
    proc.step(182, [&] { file.commit(); });
}

}  // namespace SaveComma

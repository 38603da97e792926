#include "files/aligned_columns.h"

#include "lists/character_count.h"
#include "lists/covered_rows.h"

#include <algorithm>

namespace AlignedColumns {

namespace {

void Pad(QString& line, qsizetype missing)
{
    if (missing > 0)
        line.resize(line.size() + missing, QLatin1Char(' '));
}

}  // namespace

qsizetype MeasureColumn(const ListModel& list, int k, CoveredRows& covered,
                        const std::function<void()>& pace)
{
    qsizetype width = 0;
    // Each column takes the row count afresh: rows appended while an earlier column was
    // measured are measured from this column on.
    const qsizetype rows = covered.recount();
    for (qsizetype r = 0; r < rows; ++r) {
        pace();
        covered.reach(r);
        width = std::max(width, list.cellLength(r, k));
    }
    return width;
}

void AppendPadded(QString& line, const ListModel& list, qsizetype row, int k, qsizetype width)
{
    list.appendCell(line, row, k);
    Pad(line, width - list.cellLength(row, k));
}

void AppendPadded(QByteArray& line, const ListModel& list, qsizetype row, int k, qsizetype width)
{
    list.appendCellUtf8(line, row, k);
    const qsizetype missing = width - list.cellLength(row, k);
    if (missing > 0)
        line.append(missing, ' ');
}

void AppendPadded(QString& line, const QString& text, qsizetype width)
{
    line.append(text);
    Pad(line, width - CharacterCount(text));
}

}  // namespace AlignedColumns

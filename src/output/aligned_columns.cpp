#include "output/aligned_columns.h"

#include "app/lists/character_count.h"
#include "app/lists/counted_rows.h"

#include <algorithm>

namespace AlignedColumns {

namespace {

void Pad(QString& line, qsizetype missing)
{
    if (missing > 0)
        line.resize(line.size() + missing, QLatin1Char(' '));
}

}  // namespace

qsizetype MeasureColumn(const ListModel& list, int k, const CountedRows& counted,
                        const std::function<void()>& pace)
{
    qsizetype width = 0;
    const qsizetype rows = list.count();
    for (qsizetype r = 0; r < rows; ++r) {
        pace();
        counted.require();
        width = std::max(width, list.cellLength(r, k));
    }
    return width;
}

void AppendPadded(QString& line, const ListModel& list, qsizetype row, int k, qsizetype width)
{
    list.appendCell(line, row, k);
    Pad(line, width - list.cellLength(row, k));
}

void AppendPadded(QString& line, const QString& text, qsizetype width)
{
    line.append(text);
    Pad(line, width - CharacterCount(text));
}

}  // namespace AlignedColumns

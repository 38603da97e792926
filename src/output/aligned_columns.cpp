#include "output/aligned_columns.h"

#include "app/counted_rows.h"

#include <algorithm>

namespace AlignedColumns {

qsizetype CharacterCount(QStringView text)
{
    qsizetype count = text.size();
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
            --count;
    return count;
}

qsizetype MeasureColumn(const ListModel& list, int k, const CountedRows& counted,
                        const std::function<void()>& pace)
{
    qsizetype width = 0;
    const qsizetype rows = list.count();
    for (qsizetype r = 0; r < rows; ++r) {
        pace();
        counted.require();
        width = std::max(width, CharacterCount(list.cell(r, k)));
    }
    return width;
}

void AppendPadded(QString& line, QStringView cell, qsizetype width)
{
    line.append(cell);
    const qsizetype missing = width - CharacterCount(cell);
    if (missing > 0)
        line.resize(line.size() + missing, QLatin1Char(' '));
}

}  // namespace AlignedColumns

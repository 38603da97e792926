#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

class CountedRows;
class ListModel;

// Column alignment shared by the column-aligned save and the clipboard copy. Lengths and
// widths count characters: a character outside the Basic Multilingual Plane (an emoji) is one,
// though it takes two UTF-16 units.
namespace AlignedColumns {

qsizetype CharacterCount(QStringView text);

// The greatest character count of column k over the list's rows, counted afresh as the column
// starts. pace() runs before every cell; a row that left the list meanwhile throws.
qsizetype MeasureColumn(const ListModel& list, int k, const CountedRows& counted,
                        const std::function<void()>& pace);

// Appends the cell and then spaces up to width characters (none when the cell is longer).
void AppendPadded(QString& line, QStringView cell, qsizetype width);

}  // namespace AlignedColumns

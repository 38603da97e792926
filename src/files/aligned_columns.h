#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class CoveredRows;
class ListModel;

// Column alignment shared by the column-aligned save and the clipboard copy. Lengths and
// widths count characters (see CharacterCount).
namespace AlignedColumns {

// The greatest character count of column k over the list's rows, counted afresh as the column
// starts. pace() runs before every cell; a row that left the list meanwhile throws.
qsizetype MeasureColumn(const ListModel& list, int k, CoveredRows& covered,
                        const std::function<void()>& pace);

// Appends cell k of the row and then spaces up to width characters (none when it is longer).
void AppendPadded(QString& line, const ListModel& list, qsizetype row, int k, qsizetype width);
// The same in UTF-8; a space is a byte, so the padding is the same.
void AppendPadded(QByteArray& line, const ListModel& list, qsizetype row, int k, qsizetype width);
// The same for a text of its own (a column caption).
void AppendPadded(QString& line, const QString& text, qsizetype width);

}  // namespace AlignedColumns

#pragma once

#include <QString>

class Form1;
class ListModel;

namespace SaveList {

// Writes the list as column-aligned text: a heading line of captions, then one line per
// checked row; every cell is padded with spaces to its column's width (the longest caption or
// cell) and followed by a TAB. Reports its own failures and never passes one to its caller.
void SaveListviewProperlySpaced(Form1& form, const ListModel& list, const QString& fileName);

}  // namespace SaveList

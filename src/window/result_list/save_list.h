#pragma once

#include <QString>

class Desktop;
class ListModel;
class Pacer;

namespace SaveList {

// Writes the list as column-aligned text: a heading line of captions, then one line per
// checked row; every cell is padded with spaces to its column's width (the longest caption or
// cell) and followed by a TAB. Reports its own failures and never passes one to its caller; a
// save whose rows left the list under it is reported and leaves the old file as it was.
void SaveListviewProperlySpaced(Desktop& desktop, Pacer& pacer, const ListModel& list,
                                const QString& fileName);

}  // namespace SaveList

#pragma once

#include <QString>

class Desktop;
class ListModel;
class Pacer;

namespace SaveComma {

// Asks before replacing an existing file, then writes the list as comma-delimited text: with
// several columns a heading line of captions each followed by a comma, then the cells joined
// by commas; with one column each row's text followed by a comma on every line but the last.
// Reports its own failures and never passes one to its caller; a save whose rows left the
// list under it is reported and leaves the old file as it was.
void SaveListviewAsCommaDelimToFile(Desktop& desktop, Pacer& pacer, const QString& applicationTitle,
                                    const ListModel& list, const QString& fileName);

}  // namespace SaveComma

#pragma once

#include <QString>

class Form1;
class ListModel;

namespace SaveComma {

// Asks before replacing an existing file, then writes the list as comma-delimited text: with
// several columns a heading line of captions each followed by a comma, then the cells joined
// by commas; with one column each row's text followed by a comma on every line but the last.
// Reports its own failures and never passes one to its caller.
void SaveListviewAsCommaDelimToFile(Form1& form, const ListModel& list, const QString& fileName);

}  // namespace SaveComma

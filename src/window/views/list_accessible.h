#pragma once

// The lists as a screen reader, a magnifier and other assistive tools see them.
//
// Qt's own accessible table places each row's object by the table's vertical header, which the
// lists keep hidden and without sections (see UniformTableView): every row would say it lies at
// the list's top edge, with no size, over whatever is above the list. A list answers with a
// table of its own instead, laid out child for child as Qt's is (a corner, the column headers,
// then for each row the row's object followed by its cells), so that the numbers the table
// view announces focus and selection by name the same children; its rows and cells say where
// they are drawn. Children are made only for the rows asked about, however long the list.

// Makes every ListView answer with that table. Once is enough; further calls change nothing.
// A list calls it before anything can ask about it.
void InstallListAccessibility();

#pragma once

#include <QString>

#include <functional>

class Desktop;
class Form1;
class ListModel;

namespace Main {

inline constexpr int kClipboardAttempts = 1000;

// The list's checked rows as aligned text: cells padded with spaces to their column's width
// (the longest cell of any row) and separated by TABs; each line loses its last TAB and its
// trailing spaces and ends in CR LF. No heading line. pace() runs before every cell and row,
// and rows that leave the list meanwhile are not read.
QString BuildAlignedText(const ListModel& list, const std::function<void()>& pace);

enum class CopyOutcome { Copied, NothingToCopy, ClipboardRefused };

// Puts the list's aligned text on the clipboard; an empty list leaves the clipboard alone.
CopyOutcome CopyListToClipboard(Form1& form, const ListModel& list);

// Each tries at once up to 1000 times and stops at the first success; neither reports.
void ClearClipboard(Desktop& desktop);
bool SetClipboardText(Desktop& desktop, const QString& text);

}  // namespace Main

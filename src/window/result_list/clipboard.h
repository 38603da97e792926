#pragma once

#include <QByteArray>

#include <functional>

class Desktop;
class ListModel;
class Pacer;

namespace Main {

inline constexpr int kClipboardAttempts = 1000;

// The list's checked rows as aligned text in UTF-8, the clipboard's own encoding: cells padded with
// spaces to their column's width (the longest cell of any row) and separated by TABs; the last cell
// is not padded and each line loses its trailing spaces and ends in CR LF. No heading line. pace()
// runs before every cell and row. When rows the text counted leave the list meanwhile, it throws
// "Subscript out of range" rather than return a partial text.
QByteArray BuildAlignedText(const ListModel& list, const std::function<void()>& pace);

enum class CopyOutcome { Copied, NothingToCopy, ClipboardRefused };

// Puts the list's aligned text on the clipboard; an empty list leaves the clipboard alone, and
// so does a copy whose rows left the list under it (it throws).
CopyOutcome CopyListToClipboard(Desktop& desktop, Pacer& pacer, const ListModel& list);

// Each tries at once up to 1000 times and stops at the first success; neither reports.
void ClearClipboard(Desktop& desktop);
bool SetClipboardText(Desktop& desktop, const QByteArray& utf8);

}  // namespace Main

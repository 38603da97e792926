#pragma once

#include <QString>

// What "Copy Results To Clipboard" says after a copy, and after one that did not reach the
// clipboard whole.
inline const QString kCopied = QStringLiteral(
    "Results have been copied to the clipboard.\r\rClick a text area where you normally type and "
    "press Ctrl+V to paste the clipboard.");
inline const QString kNotCopied = QStringLiteral(
    "Results have not been copied to the clipboard.\r\rThe clipboard is in use by another program "
    "or the results could not be read. Please try again.");

#pragma once

// Room core: numbers as people write them.

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

// A number written with punctuation is a text that, after its outer blanks, holds only decimal
// digits of any script, separators (blanks, the no-break space, "-" and the other dashes, ".",
// "/", "(", ")") and at most one "+" at its start, with at least one digit. Tidying it gives its
// digits alone, in ASCII: "+1 603 434 3563" becomes "16034343563", "６０３" becomes "603".
// Invisible format characters (a byte order mark, a zero-width space, a direction mark, a soft
// hyphen) are no part of what the text says, and count for nothing wherever they stand; a
// full-width form counts as its ASCII character, so "（０３）１２３４" becomes "031234".
// Any other text is left as it is: letters ("1-800-FLOWERS"), an extension whose digits must not
// join the number's ("603-434-3563 ext. 12"), an empty line.
// The UTF-16 and the UTF-8 functions follow the one rule; bytes that are not UTF-8 are never a
// number.

// Appends the tidied digits to out and returns true, or returns false (out as it was) when the
// text is not a number written with punctuation.
bool TidyNumber(QStringView text, QString& out);
// The same for UTF-8 text, as the command line reads it.
bool TidyNumber(std::string_view utf8, std::string& out);

// Where the extension after a number begins ("603-434-3563 ext. 12": at " ext. 12"), or -1
// when the text ends in none: an extension's mark (x, ext, ext., extension, #, ;ext=, in any
// case) and its digits, after a digit.
qsizetype ExtensionStart(QStringView text);

// Why a text that is not a number written with punctuation is left as it is, read as tidying
// reads it: "Empty" is nothing but blanks and invisible characters.
enum class LeftAsItIs { Extension, Letters, Empty, Other };
LeftAsItIs WhyLeftAsItIs(QStringView text);

// What two texts are compared by when duplicates are looked for: the tidied digits of a number
// written with punctuation, any other text itself. UTF-8; the first byte tells the two kinds
// apart, so the digits "123" and a text "123x" never meet. A lone surrogate of a UTF-16 text
// takes the three bytes UTF-8 would give it, which no UTF-8 text holds: two different texts
// never share a key, and a text has the same key in UTF-16 as in UTF-8.
void DuplicateKey(QStringView text, std::string& key);
void DuplicateKey(std::string_view utf8, std::string& key);

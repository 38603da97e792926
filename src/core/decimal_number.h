#pragma once

#include <QStringView>

// A decimal number as typed: spaces before and after are set aside (a space is the only
// blank; a TAB is not), then an optional sign, digits with at most one decimal point (at least
// one digit), and an optional exponent (e or E, optional sign, digits). Nothing else: no
// grouping separators, currency signs, hexadecimal prefixes or brackets.
bool IsNumeric(QStringView text);

// A rule's length column as a whole number. The text is rounded once, from its exact decimal
// value, to the nearest whole number with exact halves to the even neighbour, whatever the
// number of digits or the size of the exponent. Throws "Type mismatch" for a text that is not
// a number and "Overflow" when the whole number lies outside -32768 to 32767.
int RuleLengthValue(QStringView text);

#pragma once

#include <QStringView>

#include <optional>

// Reads a decimal number: blanks (spaces and tabs) before and after are set aside, then an
// optional sign, digits with at most one decimal point (at least one digit), and an optional
// exponent (e or E, optional sign, digits). Nothing else: no grouping separators, currency
// signs, hexadecimal prefixes or brackets.
std::optional<double> ParseDecimalNumber(QStringView text);

inline bool IsNumeric(QStringView text)
{
    return ParseDecimalNumber(text).has_value();
}

// A rule's length column as a whole number: rounded half to even and inside the signed 16-bit
// range. Throws "Type mismatch" for a text that is not a number and "Overflow" out of range.
int RuleLengthValue(QStringView text);

#pragma once

#include <QString>

// Why a result is its phone text copied unchanged; one byte a row, kept beside the text.
enum class RowMark : quint8 {
    None = 0,
    NoRule,         // no rule has the text's length
    NotANumber,     // a rule fits, but the text is not a plain digit string
    NoDigitPlaces,  // a rule fits, but its pattern has no digit place
};

// The tool tip that tells the user why; characters is the text's length. Empty for None.
QString RowMarkReason(RowMark mark, qsizetype characters);

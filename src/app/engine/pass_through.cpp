#include "app/engine/pass_through.h"

#include "app/engine/digit_pattern.h"

#include <algorithm>

RowMark UnchangedByRule(QStringView text, bool patternHasPlaces)
{
    if (!IsDigitString(text))
        return RowMark::NotANumber;
    return patternHasPlaces ? RowMark::None : RowMark::NoDigitPlaces;
}

RowMark UnchangedByRule(QLatin1StringView text, bool patternHasPlaces)
{
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    if (!digits)
        return RowMark::NotANumber;
    return patternHasPlaces ? RowMark::None : RowMark::NoDigitPlaces;
}

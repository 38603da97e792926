#include "core/pass_through.h"

#include "core/digit_pattern.h"

RowMark UnchangedByRule(QStringView text, bool patternHasPlaces)
{
    if (!IsDigitString(text))
        return RowMark::NotANumber;
    return patternHasPlaces ? RowMark::None : RowMark::NoDigitPlaces;
}

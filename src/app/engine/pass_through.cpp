#include "app/engine/pass_through.h"

#include "app/engine/digit_pattern.h"

RowMark UnchangedByRule(QStringView text, bool patternHasPlaces)
{
    if (!IsDigitString(text))
        return RowMark::NotANumber;
    return patternHasPlaces ? RowMark::None : RowMark::NoDigitPlaces;
}

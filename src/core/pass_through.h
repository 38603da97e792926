#pragma once

#include "core/laid_pattern.h"
#include "core/row_mark.h"

#include <QLatin1StringView>
#include <QStringView>

// Why a rule whose length fits still leaves the text as it was: the text is not a plain digit
// string, or the rule's pattern has no digit place. None when the text is laid into the
// pattern.
RowMark UnchangedByRule(QStringView text, bool patternHasPlaces);
inline RowMark UnchangedByRule(QLatin1StringView text, bool patternHasPlaces)
{
    if (!LaidPattern::AllDigits({text.data(), static_cast<size_t>(text.size())}))
        return RowMark::NotANumber;
    return patternHasPlaces ? RowMark::None : RowMark::NoDigitPlaces;
}

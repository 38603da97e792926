#include "app/engine/pass_through.h"

#include "app/engine/digit_pattern.h"

#include <algorithm>

namespace {

RowMark ByPattern(QStringView digitPlaces)
{
    return digitPlaces.contains(QLatin1Char('#')) ? RowMark::None : RowMark::NoDigitPlaces;
}

}  // namespace

RowMark UnchangedByRule(QStringView text, QStringView digitPlaces)
{
    return IsDigitString(text) ? ByPattern(digitPlaces) : RowMark::NotANumber;
}

RowMark UnchangedByRule(QLatin1StringView text, QStringView digitPlaces)
{
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    return digits ? ByPattern(digitPlaces) : RowMark::NotANumber;
}

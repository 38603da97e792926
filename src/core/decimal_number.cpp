#include "core/decimal_number.h"

#include "core/app_error.h"
#include "core/spaces.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

bool IsAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The exact value of a decimal text: (-1)^negative × 0.digits × 10^magnitude, where digits
// has no leading or trailing zeros (empty for zero). magnitude is the count of whole digits.
struct Decimal {
    bool negative = false;
    std::string digits;
    qint64 magnitude = 0;
};

// Exponents beyond this leave no doubt about the result, so bigger ones are clamped to it.
constexpr qint64 kExponentLimit = qint64(1) << 40;

std::optional<Decimal> ParseDecimal(QStringView text)
{
    text = SpacesTrimmed(text);
    const qsizetype end = text.size();

    Decimal number;
    qsizetype i = 0;
    if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        number.negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qsizetype mantissaDigits = 0;
    qint64 wholeDigits = 0;  // digits before the point, once the leading zeros are gone
    qint64 leadingFractionZeros = 0;
    bool point = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('.') && !point) {
            point = true;
            continue;
        }
        if (!IsAsciiDigit(c))
            break;
        ++mantissaDigits;
        if (number.digits.empty() && c == QLatin1Char('0')) {
            if (point)
                ++leadingFractionZeros;
            continue;
        }
        number.digits.push_back(static_cast<char>(c.unicode()));
        if (!point)
            ++wholeDigits;
    }
    if (mantissaDigits == 0)
        return std::nullopt;

    qint64 exponent = 0;
    if (i < end && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
            negativeExponent = text[i] == QLatin1Char('-');
            ++i;
        }
        qsizetype exponentDigits = 0;
        for (; i < end && IsAsciiDigit(text[i]); ++i, ++exponentDigits)
            exponent = std::min(kExponentLimit, exponent * 10 + (text[i].unicode() - u'0'));
        if (exponentDigits == 0)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != end)
        return std::nullopt;

    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    if (!number.digits.empty())
        number.magnitude = wholeDigits - leadingFractionZeros + exponent;
    return number;
}

}  // namespace

bool IsNumeric(QStringView text)
{
    return ParseDecimal(text).has_value();
}

int RuleLengthValue(QStringView text)
{
    const std::optional<Decimal> number = ParseDecimal(text);
    if (!number)
        throw AppError(ErrorCode::TypeMismatch);
    const std::string& digits = number->digits;
    // Below 0.1 the nearest whole number is 0; from 100000 up it is out of range anyway.
    if (digits.empty() || number->magnitude < 0)
        return 0;
    if (number->magnitude > 5)
        throw AppError(ErrorCode::Overflow);

    const auto wholeCount = static_cast<size_t>(number->magnitude);
    int whole = 0;
    for (size_t k = 0; k < wholeCount; ++k)
        whole = whole * 10 + (k < digits.size() ? digits[k] - '0' : 0);
    // The fraction is digits[wholeCount...]; it has no trailing zeros, so anything after its
    // first digit makes it more than that digit alone.
    if (wholeCount < digits.size()) {
        const char first = digits[wholeCount];
        const bool more = wholeCount + 1 < digits.size();
        if (first > '5' || (first == '5' && (more || whole % 2 == 1)))
            ++whole;
    }
    const int value = number->negative ? -whole : whole;
    if (value < -32768 || value > 32767)
        throw AppError(ErrorCode::Overflow);
    return value;
}

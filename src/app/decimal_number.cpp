#include "app/decimal_number.h"

#include "app/app_error.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

}  // namespace

std::optional<double> ParseDecimalNumber(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;

    // Validate the grammar ourselves and hand the parser only plain ASCII it accepts.
    std::string ascii;
    ascii.reserve(static_cast<size_t>(end - begin));
    qsizetype i = begin;
    if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        if (text[i] == QLatin1Char('-'))
            ascii.push_back('-');
        ++i;
    }
    int mantissaDigits = 0;
    bool point = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (IsAsciiDigit(c)) {
            ++mantissaDigits;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
        ascii.push_back(static_cast<char>(c.unicode()));
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < end && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ascii.push_back('e');
        ++i;
        if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
            ascii.push_back(static_cast<char>(text[i].unicode()));
            ++i;
        }
        int exponentDigits = 0;
        for (; i < end && IsAsciiDigit(text[i]); ++i) {
            ascii.push_back(static_cast<char>(text[i].unicode()));
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;

    double value = 0;
    const auto [rest, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large for a double is still a number; too small is zero.
        const bool tiny = ascii.find("e-") != std::string::npos;
        const bool negative = !ascii.empty() && ascii.front() == '-';
        value = tiny ? 0.0 : (negative ? -HUGE_VAL : HUGE_VAL);
    } else if (error != std::errc() || rest != ascii.data() + ascii.size()) {
        return std::nullopt;
    }
    return value;
}

int RuleLengthValue(QStringView text)
{
    const std::optional<double> value = ParseDecimalNumber(text);
    if (!value)
        throw AppError(ErrorCode::TypeMismatch);
    // nearbyint rounds exact halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(*value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        throw AppError(ErrorCode::Overflow);
    return static_cast<int>(rounded);
}

#include "core/digit_pattern.h"

#include <algorithm>

namespace {

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

}  // namespace

bool IsDigitString(QStringView text)
{
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return IsDigit(c); });
}

QString ApplyDigitPattern(const QString& text, QStringView pattern)
{
    if (!IsDigitString(text) || !pattern.contains(QLatin1Char('#')))
        return text;
    QString out;
    ApplyDigitPatternTo(out, text, pattern);
    return out;
}

namespace {

bool IsPlace(QChar c)
{
    return c == QLatin1Char('#');
}

bool IsPlace(char c)
{
    return c == '#';
}

// Lays the digits into the pattern, writing from the given place; returns the end written. The
// caller has room for every literal, the first place's digits and one digit for each other.
template <class Out, class Digit, class Pattern>
Out* LayDigits(Out* write, const Digit* digit, qsizetype digits, const Pattern* pattern,
               qsizetype patternSize, qsizetype places)
{
    // The leftmost place takes every digit the other places leave over.
    const qsizetype firstPlaceTakes = std::max<qsizetype>(0, digits - (places - 1));
    qsizetype place = 0;
    for (qsizetype i = 0; i < patternSize; ++i) {
        const Pattern c = pattern[i];
        if (!IsPlace(c)) {
            *write++ = Out(c);
            continue;
        }
        if (place == 0) {
            for (qsizetype k = 0; k < firstPlaceTakes; ++k)
                *write++ = Out(digit[k]);
        } else {
            // Counted from the right, this place takes digit number (places - place).
            const qsizetype source = digits - (places - place);
            if (source >= 0)
                *write++ = Out(digit[source]);
        }
        ++place;
    }
    return write;
}

template <class View> qsizetype Places(View pattern)
{
    return std::count_if(pattern.begin(), pattern.end(), [](auto c) { return IsPlace(c); });
}

}  // namespace

void ApplyDigitPatternTo(QString& out, QStringView text, QStringView pattern)
{
    out.resize(0);
    const qsizetype places = IsDigitString(text) ? Places(pattern) : 0;
    if (places == 0) {
        out.append(text.data(), text.size());
        return;
    }
    out.resize(LaidSize(text.size(), pattern.size(), places));
    const auto* end =
        LayDigits(out.data(), text.data(), text.size(), pattern.data(), pattern.size(), places);
    out.truncate(end - out.constData());
}

qsizetype LaidSize(qsizetype digits, qsizetype patternSize, qsizetype places)
{
    const qsizetype firstPlaceTakes = std::max<qsizetype>(0, digits - (places - 1));
    return patternSize - 1 + std::max<qsizetype>(firstPlaceTakes, 1);
}

char* LayDigitsInto(char* out, std::string_view digits, std::string_view pattern, qsizetype places)
{
    return LayDigits(out, digits.data(), qsizetype(digits.size()), pattern.data(),
                     qsizetype(pattern.size()), places);
}

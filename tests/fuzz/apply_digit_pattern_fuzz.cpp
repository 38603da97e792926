// Fuzzes the number rules: ApplyDigitPattern against a plain right-to-left reading of its
// rules, against its Latin-1 twin and against the command line's UTF-8 layer, and the length
// conversion for crashes.

#include "core/app_error.h"
#include "core/decimal_number.h"
#include "core/digit_pattern.h"
#include "core/formatting_rules.h"
#include "core/laid_pattern.h"
#include "core/number_format.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Walks the pattern from its last character to its first, as the rules are written.
QString RightToLeft(const QString& digits, const QString& pattern)
{
    const qsizetype leftmost = pattern.indexOf(QLatin1Char('#'));
    QString reversed;
    qsizetype next = digits.size() - 1;
    for (qsizetype i = pattern.size() - 1; i >= 0; --i) {
        if (pattern[i] != QLatin1Char('#')) {
            reversed.append(pattern[i]);
        } else if (i == leftmost) {
            for (; next >= 0; --next)
                reversed.append(digits[next]);
        } else if (next >= 0) {
            reversed.append(digits[next--]);
        }
    }
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t split = data[0] % size;
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data + 1),
                                             static_cast<qsizetype>(split > 0 ? split - 1 : 0));
    const QString pattern = QString::fromLatin1(reinterpret_cast<const char*>(data + split),
                                                static_cast<qsizetype>(size - split));

    const QString result = ApplyDigitPattern(text, pattern);
    // Eight-bit lists are laid as they are stored, byte by byte; it must give the same text.
    const QByteArray latin1 = text.toLatin1();
    const std::string_view bytes(latin1.constData(), static_cast<size_t>(latin1.size()));
    const LaidPattern narrowPattern(pattern.toLatin1().toStdString());
    if (narrowPattern.places() > 0 && LaidPattern::AllDigits(bytes)) {
        std::string narrow(narrowPattern.laidSize(bytes) + LaidPattern::kSlack, '\0');
        narrow.resize(
            static_cast<size_t>(narrowPattern.layInto(narrow.data(), bytes) - narrow.data()));
        if (QString::fromLatin1(narrow.data(), static_cast<qsizetype>(narrow.size())) != result)
            std::abort();
    } else if (LaidPattern::AllDigits(bytes) != IsDigitString(text)) {
        std::abort();
    }
    if (!IsDigitString(text) || !pattern.contains(QLatin1Char('#'))) {
        if (result != text)
            std::abort();
    } else {
        if (result != RightToLeft(text, pattern))
            std::abort();
        // No digit is lost: the digits of the result, less those the pattern brought, are the
        // number's digits in order.
        QString literals = pattern;
        literals.remove(QLatin1Char('#'));
        if (!std::any_of(literals.begin(), literals.end(), [](QChar c) { return c.isDigit(); })) {
            QString digits;
            for (const QChar c : result)
                if (c.unicode() >= u'0' && c.unicode() <= u'9')
                    digits.append(c);
            if (digits != text)
                std::abort();
        }
    }

    // Formatting without a window, given a rule of the text's own length, lays it the same way
    // through its own roads (eight digits at a time, a short pattern laid whole).
    const NumberFormat format({RuleText{QString::number(text.size()), pattern}});
    const QByteArray utf8 = text.toUtf8();
    std::string scratch;
    const std::string_view laid = format.apply(
        {utf8.constData(), static_cast<std::size_t>(utf8.size())}, text.size(), scratch);
    if (QByteArrayView(laid.data(), static_cast<qsizetype>(laid.size()))
        != ApplyDigitPattern(text, DigitPlaces(pattern)).toUtf8())
        std::abort();

    try {
        const int length = RuleLengthValue(text);
        if (length < -32768 || length > 32767)
            std::abort();
    } catch (const AppError&) {
    }
    return 0;
}

#include "lists/current_text.h"

#include "core/digit_pattern.h"

#include <cstring>
#include <new>
#include <string_view>

void CurrentText::holdOwnCopy() noexcept
{
    if (!viewsList_)
        return;
    viewsList_ = false;
    try {
        ownCopy_.truncate(0);
        if (!narrowText_.isEmpty())
            std::memcpy(ownCopy_.grow(narrowText_.size()), narrowText_.data(),
                        static_cast<size_t>(narrowText_.size()));
        narrowText_ = QLatin1StringView(ownCopy_.data(), narrowText_.size());
    } catch (const std::bad_alloc&) {
        narrowText_ = {};
        lost_ = true;
    }
}

void CurrentText::format(const FormattingRules::Rule& rule)
{
    requireKept();
    if (narrow_ && rule.narrowPattern) {
        const LaidPattern& pattern = *rule.narrowPattern;
        const std::string_view digits(narrowText_.data(), static_cast<size_t>(narrowText_.size()));
        // Any other text stays as it is, and so does every text when the pattern has no place.
        if (pattern.places() == 0 || !LaidPattern::AllDigits(digits))
            return;
        narrowResult_.truncate(0);
        char* at = narrowResult_.grow(static_cast<qsizetype>(pattern.laidSize(digits))
                                      + static_cast<qsizetype>(LaidPattern::kSlack));
        const char* end = pattern.layInto(at, digits);
        narrowText_ = QLatin1StringView(at, end - at);
        viewsList_ = false;
        return;
    }
    if (narrow_) {
        wide_ = QString(narrowText_);
        narrow_ = false;
        viewsList_ = false;
    }
    ApplyDigitPatternTo(wideResult_, wide_, rule.pattern);
    wide_.swap(wideResult_);
}

CountryOutcome::Kind CurrentText::formatByCountry(const CountryRule& rule)
{
    requireKept();
    // Each character takes a byte at least: a longer text is no number, and is not copied.
    if (std::size_t(length()) > kLongestCountryText)
        return CountryOutcome::Kind::NotFitted;
    const QByteArray utf8 = narrow_ ? QString(narrowText_).toUtf8() : wide_.toUtf8();
    CountryOutcome outcome =
        ApplyCountryRule(rule, std::string_view(utf8.constData(), size_t(utf8.size())));
    if (outcome.kind == CountryOutcome::Kind::Fitted) {
        wide_ = QString::fromStdString(outcome.out);
        narrow_ = false;
        viewsList_ = false;
    }
    return outcome.kind;
}

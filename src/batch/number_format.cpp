#include "batch/number_format.h"

#include "app/engine/digit_pattern.h"
#include "app/engine/formatting_rules.h"

#include <QByteArray>

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define DIALWRIGHT_SHUFFLES 1
#endif

namespace {

#ifdef DIALWRIGHT_SHUFFLES
bool CanShuffle()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
}
#else
bool CanShuffle()
{
    return false;
}
#endif

// The digits are loaded as two words from each end, overlapping: eight bytes each for eight
// digits or more, four for fewer. Where digit k of places then stands.
std::uint8_t LoadedAt(std::size_t k, std::size_t places)
{
    const std::size_t half = places >= 8 ? 8 : 4;
    return static_cast<std::uint8_t>(k < half ? k : k + 2 * half - places);
}

}  // namespace

NumberFormat::NumberFormat(const std::vector<RuleText>& rules)
{
    std::vector<std::optional<int>> lengths;
    lengths.reserve(rules.size());
    patterns_.reserve(rules.size());
    int longest = 0;
    for (const RuleText& text : rules) {
        const FormattingRules::Rule rule = FormattingRules::make(text.length, text.pattern);
        const QByteArray utf8 = rule.pattern.toUtf8();
        Pattern pattern{utf8.toStdString(), utf8.count('#')};
        std::vector<std::size_t> placeAt;  // where each place stands in utf8
        for (std::size_t at = 0; at < pattern.utf8.size(); ++at)
            if (pattern.utf8[at] == '#')
                placeAt.push_back(at);
        pattern.laidWhole = pattern.utf8.size() <= pattern.padded.size();
        pattern.shuffled = pattern.laidWhole && pattern.utf8.size() <= pattern.own.size()
                           && pattern.places >= 4 && pattern.places <= 16 && CanShuffle();
        if (pattern.shuffled) {
            pattern.from.fill(0x80);
            std::copy(pattern.utf8.begin(), pattern.utf8.end(), pattern.own.begin());
            for (std::size_t k = 0; k < placeAt.size(); ++k) {
                pattern.from[placeAt[k]] = LoadedAt(k, placeAt.size());
                pattern.own[placeAt[k]] = 0;
            }
        }
        if (pattern.laidWhole) {
            std::copy(pattern.utf8.begin(), pattern.utf8.end(), pattern.padded.begin());
            std::copy(placeAt.begin(), placeAt.end(), pattern.shortPlaceAt.begin());
        }
        patterns_.push_back(std::move(pattern));
        lengths.push_back(rule.length);
        if (rule.length)
            longest = std::max(longest, *rule.length);
    }
    firstFit_.assign(static_cast<std::size_t>(longest) + 1, nullptr);
    for (std::size_t k = rules.size(); k-- > 0;)
        if (lengths[k] && *lengths[k] >= 0)
            firstFit_[static_cast<std::size_t>(*lengths[k])] =
                patterns_[k].places > 0 ? &patterns_[k] : nullptr;
}

std::size_t NumberFormat::laidSizeOtherwise(std::string_view digits, const Pattern& pattern)
{
    return static_cast<std::size_t>(LaidSize(static_cast<qsizetype>(digits.size()),
                                             static_cast<qsizetype>(pattern.utf8.size()),
                                             pattern.places));
}

char* NumberFormat::layOtherwise(char* at, std::string_view digits, const Pattern& pattern)
{
    return LayDigitsInto(at, digits, pattern.utf8, pattern.places);
}

#ifdef DIALWRIGHT_SHUFFLES
[[gnu::target("ssse3")]] char* NumberFormat::layShuffled(char* at, std::string_view digits,
                                                         const Pattern& pattern)
{
    const std::size_t n = digits.size();
    __m128i loaded;
    if (n >= 8) {
        std::uint64_t head = 0;
        std::uint64_t tail = 0;
        std::memcpy(&head, digits.data(), 8);
        std::memcpy(&tail, digits.data() + n - 8, 8);
        loaded = _mm_set_epi64x(static_cast<long long>(tail), static_cast<long long>(head));
    } else {
        std::uint32_t head = 0;
        std::uint32_t tail = 0;
        std::memcpy(&head, digits.data(), 4);
        std::memcpy(&tail, digits.data() + n - 4, 4);
        loaded = _mm_set_epi32(0, 0, static_cast<int>(tail), static_cast<int>(head));
    }
    const __m128i from = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern.from.data()));
    const __m128i own = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern.own.data()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at),
                     _mm_or_si128(_mm_shuffle_epi8(loaded, from), own));
    return at + pattern.utf8.size();
}
#else
char* NumberFormat::layShuffled(char* at, std::string_view digits, const Pattern& pattern)
{
    return layOtherwise(at, digits, pattern);
}
#endif

std::string_view NumberFormat::apply(std::string_view text, qsizetype length,
                                     std::string& scratch) const
{
    const Pattern* pattern = patternFor(text, length);
    if (pattern == nullptr)
        return text;
    scratch.resize(laidSize(text, *pattern) + kSlack);
    const char* end = layInto(scratch.data(), text, *pattern);
    return {scratch.data(), static_cast<std::size_t>(end - scratch.data())};
}

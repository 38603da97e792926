#include "core/laid_pattern.h"

#include "core/digit_pattern.h"

#include <utility>
#include <vector>

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

LaidPattern::LaidPattern(std::string bytes) : bytes_(std::move(bytes))
{
    std::vector<std::size_t> placeAt;
    for (std::size_t at = 0; at < bytes_.size(); ++at)
        if (bytes_[at] == '#')
            placeAt.push_back(at);
    places_ = static_cast<qsizetype>(placeAt.size());
    laidWhole_ = bytes_.size() <= padded_.size();
    if (!laidWhole_)
        return;
    std::copy(bytes_.begin(), bytes_.end(), padded_.begin());
    std::copy(placeAt.begin(), placeAt.end(), placeAt_.begin());
    shuffled_ = bytes_.size() <= own_.size() && places_ >= 4 && places_ <= 16 && CanShuffle();
    if (shuffled_) {
        from_.fill(0x80);
        std::copy(bytes_.begin(), bytes_.end(), own_.begin());
        for (std::size_t k = 0; k < placeAt.size(); ++k) {
            from_[placeAt[k]] = LoadedAt(k, placeAt.size());
            own_[placeAt[k]] = 0;
        }
    }
}

std::size_t LaidPattern::laidSizeOtherwise(std::string_view digits) const
{
    return static_cast<std::size_t>(LaidSize(static_cast<qsizetype>(digits.size()),
                                             static_cast<qsizetype>(bytes_.size()), places_));
}

char* LaidPattern::layOtherwise(char* at, std::string_view digits) const
{
    return LayDigitsInto(at, digits, bytes_, places_);
}

#ifdef DIALWRIGHT_SHUFFLES
[[gnu::target("ssse3")]] char* LaidPattern::layShuffled(char* at, std::string_view digits) const
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
    const __m128i from = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from_.data()));
    const __m128i own = _mm_loadu_si128(reinterpret_cast<const __m128i*>(own_.data()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at),
                     _mm_or_si128(_mm_shuffle_epi8(loaded, from), own));
    return at + bytes_.size();
}
#else
char* LaidPattern::layShuffled(char* at, std::string_view digits) const
{
    return layOtherwise(at, digits);
}
#endif

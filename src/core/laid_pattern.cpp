#include "core/laid_pattern.h"

#include "core/digit_pattern.h"

#include <utility>
#include <vector>

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

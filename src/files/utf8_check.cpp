#include "files/utf8_check.h"

#include <cstdint>
#include <cstring>

bool Utf8Check::feed(std::string_view bytes)
{
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    while (valid_ && at < end) {
        if (needed_ == 0) {
            // Plain ASCII, eight bytes at a time.
            while (end - at >= 8) {
                std::uint64_t word = 0;
                std::memcpy(&word, at, 8);
                if ((word & 0x8080808080808080ULL) != 0)
                    break;
                at += 8;
            }
            if (at == end)
                break;
            const auto lead = static_cast<unsigned char>(*at++);
            low_ = 0x80;
            high_ = 0xBF;
            if (lead < 0x80)
                continue;
            if (lead >= 0xC2 && lead <= 0xDF) {
                needed_ = 1;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                needed_ = 2;
                if (lead == 0xE0)
                    low_ = 0xA0;  // shorter forms are overlong
                else if (lead == 0xED)
                    high_ = 0x9F;  // above that are the surrogates
            } else if (lead >= 0xF0 && lead <= 0xF4) {
                needed_ = 3;
                if (lead == 0xF0)
                    low_ = 0x90;
                else if (lead == 0xF4)
                    high_ = 0x8F;  // above U+10FFFF
            } else {
                valid_ = false;
            }
            continue;
        }
        const auto next = static_cast<unsigned char>(*at++);
        if (next < low_ || next > high_) {
            valid_ = false;
            break;
        }
        low_ = 0x80;
        high_ = 0xBF;
        --needed_;
    }
    return valid_;
}

std::size_t Utf16Length(std::string_view utf8)
{
    // Every byte but a continuation byte starts a character; those of four bytes take two units.
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += static_cast<std::size_t>((byte & 0xC0) != 0x80) + (byte >= 0xF0);
    }
    return units;
}

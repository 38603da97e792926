#include "files/encodings.h"

#include "files/utf8_check.h"

#include <algorithm>
#include <iterator>

namespace {

// Windows-1252 at 0x80 to 0x9F; its five unassigned bytes keep their C1 control codes.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The next character of UTF-8 text (a lone surrogate's three bytes included), from at on.
// Only text this program decoded or wrote comes here, so each sequence is whole.
char32_t NextCharacter(std::string_view utf8, std::size_t& at)
{
    const auto byte = [&](std::size_t i) {
        return at + i < utf8.size() ? static_cast<unsigned char>(utf8[at + i]) & 0x3Fu : 0u;
    };
    const auto lead = static_cast<unsigned char>(utf8[at]);
    char32_t c = lead;
    std::size_t size = 1;
    if (lead >= 0xF0) {
        c = ((lead & 0x07u) << 18) | (byte(1) << 12) | (byte(2) << 6) | byte(3);
        size = 4;
    } else if (lead >= 0xE0) {
        c = ((lead & 0x0Fu) << 12) | (byte(1) << 6) | byte(2);
        size = 3;
    } else if (lead >= 0xC0) {
        c = ((lead & 0x1Fu) << 6) | byte(1);
        size = 2;
    }
    at = std::min(at + size, utf8.size());
    return c;
}

}  // namespace

char16_t Windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

bool IsUtf8(std::string_view bytes)
{
    Utf8Check check;
    return check.feed(bytes) && check.complete();
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendWindows1252AsUtf8(std::string& out, std::string_view bytes)
{
    for (const char byte : bytes)
        AppendUtf8(out, Windows1252Character(static_cast<unsigned char>(byte)));
}

bool AppendUtf8AsWindows1252(std::string& out, std::string_view utf8)
{
    const std::size_t before = out.size();
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = NextCharacter(utf8, at);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        const auto* const found = std::find(std::begin(kWindows1252High),
                                            std::end(kWindows1252High), static_cast<char16_t>(c));
        if (c > 0xFFFF || found == std::end(kWindows1252High)) {
            out.resize(before);
            return false;
        }
        out += static_cast<char>(0x80 + (found - std::begin(kWindows1252High)));
    }
    return true;
}

void AppendUtf8AsUtf16(std::string& out, std::string_view utf8, bool bigEndian)
{
    const auto unit = [&](char32_t u) {
        const auto high = static_cast<char>(u >> 8);
        const auto low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = NextCharacter(utf8, at);
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
}

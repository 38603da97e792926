#pragma once

#include <cstddef>
#include <string_view>

// Tells, a block at a time, whether bytes are well-formed UTF-8 as the file loader judges
// it: no overlong forms, no surrogates, nothing above U+10FFFF, no sequence cut short at the
// end. Noncharacters are allowed.
class Utf8Check {
public:
    // False once the bytes so far can no longer be UTF-8.
    bool feed(std::string_view bytes);
    // True when everything fed is UTF-8 and no sequence waits for more bytes.
    bool complete() const { return valid_ && needed_ == 0; }

private:
    bool valid_ = true;
    // Continuation bytes still to come, and the range the next one must lie in.
    int needed_ = 0;
    unsigned char low_ = 0x80;
    unsigned char high_ = 0xBF;
};

// The length of well-formed UTF-8 text in UTF-16 units, the way the lists count characters.
std::size_t Utf16Length(std::string_view utf8);

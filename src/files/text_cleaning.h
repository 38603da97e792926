#pragma once

#include "lists/distinct_keys.h"

class NumberFormat;

#include <QtGlobal>

#include <string>
#include <string_view>

// What --tidy and --unique do to a number's text before it is formatted: a number written with
// punctuation becomes its digits; a number already seen in any layout is left out. The distinct
// numbers are held in memory (their key's bytes and about twenty bytes each); should they
// outgrow the memory the program may still take, std::bad_alloc is thrown.
class TextCleaning {
public:
    // numbersOnly: only numbers are left out when seen again; any other text (an empty field of
    // a CSV record) never is.
    TextCleaning(bool tidy, bool unique, bool numbersOnly = false)
        : tidy_(tidy), unique_(unique), numbersOnly_(numbersOnly)
    {
    }

    bool active() const { return tidy_ || unique_; }
    // With country rules among them, a number one of them reads is told apart by its E.164
    // form and extension, whatever its layout; the rest as before.
    void compareByCountry(const NumberFormat* format) { format_ = format; }
    // False when the text is a number already seen; otherwise the text to format, tidied when
    // asked (in storage of this object, valid until the next call) and its length in UTF-16 units.
    bool take(std::string_view& text, qsizetype& length);

private:
    bool tidy_;
    bool unique_;
    bool numbersOnly_;
    const NumberFormat* format_ = nullptr;
    std::string tidied_;
    std::string key_;
    DistinctKeys seen_;
    qsizetype nextCheck_ = qsizetype(64) << 20;
};

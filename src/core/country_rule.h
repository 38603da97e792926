#pragma once

// Room core: rules that read a number by its country's numbering plan.

#include <QString>
#include <QStringView>

#include <optional>
#include <string>
#include <string_view>

// A country rule, written CC=LAYOUT: CC a two-letter region the phone-number library knows
// (any case), or "+" for any number written with its calling code; LAYOUT one of the library's
// layouts, or a pattern whose "x" take the national number's digits as a length rule's do.
struct CountryRule {
    enum class Layout { E164, International, National, Rfc3966, Pattern };

    std::string region;  // upper case; empty for "+"
    Layout layout = Layout::E164;
    QString pattern;  // the x-pattern as written, for Layout::Pattern

    // The rule in a text: the rule, or a message that says what is wrong with it.
    struct Parsed;
    static Parsed parse(QStringView text);
    // The rule of a rule list's row or a rule file's line: its region in the first cell, its
    // layout in the second. Parsed::error is set when the cells cannot be one.
    static Parsed fromCells(QStringView region, QStringView layout);
    // Whether a first cell names a region or "+": such a row is meant as a country rule, not a
    // length rule, whatever its layout says.
    static bool looksLikeRegion(QStringView cell);
    // The rule as it is written back (a rule file's two cells, a command line).
    QString regionText() const;
    QString layoutText() const;
};

struct CountryRule::Parsed {
    std::optional<CountryRule> rule;
    QString error;
};

// What a country rule made of one text, through the library, one number at a time.
struct CountryOutcome {
    enum class Kind {
        Fitted,    // a valid number of the rule's country: written in the layout into out
        Possible,  // a number of the rule's country by its length, but not a valid one
        NotFitted  // not a number of the rule's country
    };
    Kind kind = Kind::NotFitted;
    std::string out;
    // For a fitted number, when asked: what tells it from every other number, its E.164 form
    // and extension ("+16034343563;12").
    std::string key;
};

// The longest text, in bytes, in which the library looks for a number.
inline constexpr std::size_t kLongestCountryText = 250;

// Reads the text (UTF-8) as the library does, with the rule's region as the default, and lays
// it out when it fits.
enum class WithKey { No, Yes };
CountryOutcome ApplyCountryRule(const CountryRule& rule, std::string_view text,
                                WithKey withKey = WithKey::No);

// The data version of the library's numbering plans, for --version and the documents.
QString CountryDataVersion();

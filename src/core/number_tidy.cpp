#include "core/number_tidy.h"

#include <QChar>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

// What the UTF-8 reader gives for bytes that are not a character: a stray or missing
// continuation byte, an overlong form, an encoded surrogate, a value beyond U+10FFFF.
constexpr char32_t kNoCharacter = 0x110000;

enum class Kind { Digit, Separator, Plus, Letter, Invisible, Other };

// A full-width form, as East Asian input methods type it, stands for its ASCII character.
char32_t Narrowed(char32_t c)
{
    return c >= 0xFF01 && c <= 0xFF5E ? c - 0xFEE0 : c;
}

// What one character is to a number; digit gets its value.
Kind KindOf(char32_t c, int& digit)
{
    c = Narrowed(c);
    if (c < 0x80) {
        if (c >= '0' && c <= '9') {
            digit = static_cast<int>(c - '0');
            return Kind::Digit;
        }
        switch (c) {
        case ' ':
        case '\t':
        case '-':
        case '.':
        case '/':
        case '(':
        case ')': return Kind::Separator;
        case '+': return Kind::Plus;
        default: break;
        }
        return (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? Kind::Letter : Kind::Other;
    }
    if (c > QChar::LastValidCodePoint)
        return Kind::Other;
    switch (QChar::category(c)) {
    case QChar::Number_DecimalDigit: digit = QChar::digitValue(c); return Kind::Digit;
    case QChar::Other_Format: return Kind::Invisible;
    case QChar::Punctuation_Dash: return Kind::Separator;
    default: break;
    }
    if (QChar::isSpace(c))
        return Kind::Separator;
    return QChar::isLetter(c) ? Kind::Letter : Kind::Other;
}

bool IsInvisible(char32_t c)
{
    int digit = 0;
    return KindOf(c, digit) == Kind::Invisible;
}

// The characters of a UTF-16 text one at a time, a surrogate pair as one and a lone surrogate as
// itself; false at the end.
class Utf16CodePoints {
public:
    explicit Utf16CodePoints(QStringView text) : text_(text) {}
    bool operator()(char32_t& c)
    {
        if (at_ >= text_.size())
            return false;
        const QChar unit = text_[at_++];
        c = unit.unicode();
        if (unit.isHighSurrogate() && at_ < text_.size() && text_[at_].isLowSurrogate())
            c = QChar::surrogateToUcs4(unit, text_[at_++]);
        return true;
    }

private:
    QStringView text_;
    qsizetype at_ = 0;
};

// The characters of a UTF-8 text one at a time; bytes that are not UTF-8 give kNoCharacter, once
// for the longest start of a character they hold.
class Utf8CodePoints {
public:
    explicit Utf8CodePoints(std::string_view text) : text_(text) {}
    bool operator()(char32_t& c)
    {
        if (at_ >= text_.size())
            return false;
        const auto lead = static_cast<unsigned char>(text_[at_++]);
        if (lead < 0x80) {
            c = lead;
            return true;
        }
        // How many continuation bytes follow, and the narrower range the first of them keeps to
        // where a wider one would allow an overlong form, a surrogate or too large a value.
        int more = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            c = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            c = lead & 0x0Fu;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            c = lead & 0x07u;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            c = kNoCharacter;
            return true;
        }
        for (; more > 0; --more, low = 0x80, high = 0xBF) {
            const auto byte = at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : 0;
            if (byte < low || byte > high) {
                c = kNoCharacter;
                return true;
            }
            c = c << 6 | (byte & 0x3Fu);
            ++at_;
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

bool IsBlank(char32_t c)
{
    return c == ' ' || c == '\t'
           || (c >= 0x80 && c <= QChar::LastValidCodePoint && QChar::isSpace(c));
}

// The tidying itself, over the text's characters as next() gives them: the one rule for every
// way a text is stored.
template <class Next, class Out> bool Tidy(Next next, Out& out)
{
    const auto before = out.size();
    bool started = false;  // past the outer blanks at the start
    bool any = false;
    const auto refuse = [&] {
        out.resize(before);
        return false;
    };
    for (char32_t c = 0; next(c);) {
        int digit = 0;
        const Kind kind = KindOf(c, digit);
        // An invisible character is not even a start, so "+" may still come first after it.
        if (kind == Kind::Invisible || (!started && IsBlank(c)))
            continue;
        switch (kind) {
        case Kind::Digit:
            out.push_back(static_cast<typename Out::value_type>('0' + digit));
            any = true;
            break;
        case Kind::Separator:
        case Kind::Invisible: break;
        case Kind::Plus:
            // At most one, and only first.
            if (started)
                return refuse();
            break;
        case Kind::Letter:
        case Kind::Other: return refuse();
        }
        started = true;
    }
    return any || refuse();
}

// Appends the text in UTF-8, a lone surrogate as the three bytes it would take were it a
// character: no UTF-8 holds those, so different texts always append different bytes.
void AppendUtf8(QStringView text, std::string& out)
{
    Utf16CodePoints next(text);
    for (char32_t c = 0; next(c);) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | c >> 18));
            out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

}  // namespace

bool TidyNumber(QStringView text, QString& out)
{
    return Tidy(Utf16CodePoints(text), out);
}

bool TidyNumber(std::string_view utf8, std::string& out)
{
    // ASCII, as nearly every line is, byte by byte through a table that follows the rule for
    // ASCII exactly; a text with anything beyond it is read again as characters.
    enum : unsigned char { kRefused, kDigit, kSeparator, kBeyondAscii };
    static constexpr auto kClass = [] {
        std::array<unsigned char, 256> table{};
        for (int c = '0'; c <= '9'; ++c)
            table[static_cast<std::size_t>(c)] = kDigit;
        for (const char c : {' ', '\t', '-', '.', '/', '(', ')'})
            table[static_cast<unsigned char>(c)] = kSeparator;
        for (std::size_t c = 0x80; c < 0x100; ++c)
            table[c] = kBeyondAscii;
        return table;
    }();
    const std::size_t before = out.size();
    std::size_t i = 0;
    while (i < utf8.size() && (utf8[i] == ' ' || utf8[i] == '\t'))
        ++i;
    if (i < utf8.size() && utf8[i] == '+')
        ++i;
    out.resize(before + utf8.size() - i);  // never more digits than bytes
    char* digit = out.data() + before;
    for (; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (kClass[static_cast<unsigned char>(c)]) {
        case kDigit: *digit++ = c; continue;
        case kSeparator: continue;
        case kBeyondAscii: out.resize(before); return Tidy(Utf8CodePoints(utf8), out);
        default: out.resize(before); return false;
        }
    }
    out.resize(static_cast<std::size_t>(digit - out.data()));
    return out.size() > before;
}

qsizetype ExtensionStart(QStringView text)
{
    // A number, then an extension's mark, then the extension's digits.
    static const QRegularExpression extension(
        QStringLiteral(R"(\d.*?(\s*(?:x|ext\.?|extension|#|;ext=)\s*\d+\s*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch found = extension.match(text);
    return found.hasMatch() ? found.capturedStart(1) : -1;
}

LeftAsItIs WhyLeftAsItIs(QStringView text)
{
    // The text as tidying reads it: without its invisible characters, full-width forms as ASCII.
    const auto ascii = [](QChar unit) { return unit.unicode() < 0x80; };
    QString narrowed;
    if (!std::all_of(text.begin(), text.end(), ascii)) {
        narrowed.reserve(text.size());
        Utf16CodePoints next(text);
        for (char32_t c = 0; next(c);) {
            if (IsInvisible(c))
                continue;
            c = Narrowed(c);
            if (QChar::requiresSurrogates(c)) {
                narrowed.append(QChar(QChar::highSurrogate(c)));
                narrowed.append(QChar(QChar::lowSurrogate(c)));
            } else {
                narrowed.append(QChar(static_cast<char16_t>(c)));
            }
        }
        text = narrowed;
    }
    if (std::all_of(text.begin(), text.end(), [](QChar unit) { return unit.isSpace(); }))
        return LeftAsItIs::Empty;
    if (ExtensionStart(text) >= 0)
        return LeftAsItIs::Extension;
    Utf16CodePoints next(text);
    for (char32_t c = 0; next(c);)
        if (QChar::isLetter(c))
            return LeftAsItIs::Letters;
    return LeftAsItIs::Other;
}

void DuplicateKey(QStringView text, std::string& key)
{
    key.assign(1, '#');
    if (Tidy(Utf16CodePoints(text), key))
        return;
    key.assign(1, '=');
    AppendUtf8(text, key);
}

void DuplicateKey(std::string_view utf8, std::string& key)
{
    key.assign(1, '#');
    if (TidyNumber(utf8, key))
        return;
    key.assign(1, '=');
    key += utf8;
}

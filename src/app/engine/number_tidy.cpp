#include "app/engine/number_tidy.h"

#include <QChar>
#include <QRegularExpression>

#include <array>

namespace {

enum class Kind { Digit, Separator, Plus, Letter, Other };

// What one character is to a number; digit gets its value.
Kind KindOf(char32_t c, int& digit)
{
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
    if (QChar::category(c) == QChar::Number_DecimalDigit) {
        digit = QChar::digitValue(c);
        return Kind::Digit;
    }
    if (QChar::isSpace(c) || QChar::category(c) == QChar::Punctuation_Dash)
        return Kind::Separator;
    return QChar::isLetter(c) ? Kind::Letter : Kind::Other;
}

// The characters of a UTF-16 text one at a time, a surrogate pair as one; false at the end.
class CodePoints {
public:
    explicit CodePoints(QStringView text) : text_(text) {}
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

bool IsBlank(char32_t c)
{
    return c == ' ' || c == '\t' || (c >= 0x80 && QChar::isSpace(c));
}

// The tidying itself, over the text's characters as next() gives them.
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
        if (!started && IsBlank(c))
            continue;
        int digit = 0;
        switch (KindOf(c, digit)) {
        case Kind::Digit:
            out.push_back(static_cast<typename Out::value_type>('0' + digit));
            any = true;
            break;
        case Kind::Separator: break;
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

}  // namespace

bool TidyNumber(QStringView text, QString& out)
{
    return Tidy(CodePoints(text), out);
}

bool TidyNumber(std::string_view utf8, std::string& out)
{
    // ASCII, as nearly every line is, byte by byte through a table; anything beyond it is
    // decoded and tidied the same way as the window tidies it.
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
        case kBeyondAscii: {
            out.resize(before);
            QString digits;
            if (!TidyNumber(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())),
                            digits))
                return false;
            out += digits.toStdString();
            return true;
        }
        default: out.resize(before); return false;
        }
    }
    out.resize(static_cast<std::size_t>(digit - out.data()));
    return out.size() > before;
}

LeftAsItIs WhyLeftAsItIs(QStringView text)
{
    // A number, then an extension's mark, then the extension's digits.
    static const QRegularExpression extension(
        QStringLiteral(R"(\d.*?(?:x|ext\.?|extension|#|;ext=)\s*\d+\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    if (extension.match(text).hasMatch())
        return LeftAsItIs::Extension;
    CodePoints next(text);
    for (char32_t c = 0; next(c);)
        if (QChar::isLetter(c))
            return LeftAsItIs::Letters;
    return LeftAsItIs::Other;
}

void DuplicateKey(QStringView text, std::string& key)
{
    key.assign(1, '#');
    QString digits;
    if (TidyNumber(text, digits)) {
        key += digits.toStdString();
        return;
    }
    key[0] = '=';
    key += text.toUtf8().toStdString();
}

void DuplicateKey(std::string_view utf8, std::string& key)
{
    key.assign(1, '#');
    if (TidyNumber(utf8, key))
        return;
    key.assign(1, '=');
    key += utf8;
}

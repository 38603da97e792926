#include "app/engine/number_tidy.h"

#include <QChar>
#include <QRegularExpression>

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

// What the readers of characters below give at the end of a text: no character is this, and a
// NUL is a character like any other.
constexpr char32_t kEnd = 0xFFFFFFFF;

// The characters of a UTF-16 text one at a time, a surrogate pair as one; kEnd at the end.
class CodePoints {
public:
    explicit CodePoints(QStringView text) : text_(text) {}
    char32_t operator()()
    {
        if (at_ >= text_.size())
            return kEnd;
        const QChar c = text_[at_++];
        if (c.isHighSurrogate() && at_ < text_.size() && text_[at_].isLowSurrogate())
            return QChar::surrogateToUcs4(c, text_[at_++]);
        return c.unicode();
    }

private:
    QStringView text_;
    qsizetype at_ = 0;
};

bool IsBlank(char32_t c)
{
    return c == ' ' || c == '\t' || (c >= 0x80 && QChar::isSpace(c));
}

// The tidying itself, over the text's characters as next() gives them (kEnd at the end).
template <class Next, class Out> bool Tidy(Next next, Out& out)
{
    const auto before = out.size();
    bool started = false;  // past the outer blanks at the start
    bool any = false;
    const auto refuse = [&] {
        out.resize(before);
        return false;
    };
    for (char32_t c = next(); c != kEnd; c = next()) {
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
    std::size_t at = 0;
    bool ascii = true;
    for (const char c : utf8)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return Tidy([&]() -> char32_t { return at < utf8.size() ? char32_t(utf8[at++]) : kEnd; },
                    out);
    // Beyond ASCII: decoded first, then tidied the same way.
    QString digits;
    if (!TidyNumber(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())), digits))
        return false;
    out += digits.toStdString();
    return true;
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
    for (char32_t c = next(); c != kEnd; c = next())
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

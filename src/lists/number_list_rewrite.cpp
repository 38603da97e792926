#include "lists/number_list_rewrite.h"

#include "core/number_tidy.h"
#include "lists/text_checks.h"

#include <QLocale>
#include <QStringList>

#include <string_view>
#include <type_traits>

namespace {

template <class Text> constexpr bool kNarrow = std::is_same_v<Text, QLatin1StringView>;

std::string_view Bytes(QLatin1StringView text)
{
    return {text.data(), static_cast<std::size_t>(text.size())};
}

// A count as the user's locale groups its digits: "7,599,533" in English.
QString Grouped(qsizetype count)
{
    return QLocale().toString(static_cast<qlonglong>(count));
}

// "3 numbers", "1 number".
QString Counted(qsizetype count, const char* one, const char* many)
{
    return Grouped(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

}  // namespace

void TidiedRows::add(const TextColumn& texts, qsizetype row)
{
    texts.visit(row, [this](auto text) {
        if constexpr (kNarrow<decltype(text)>) {
            // Most rows are ASCII, tidied as the bytes they are stored in, without a copy.
            if (IsAscii(text.data(), text.size())) {
                digits_.clear();
                if (TidyNumber(Bytes(text), digits_)) {
                    if (digits_ != Bytes(text))
                        ++counts_.tidied;
                    out_.append(
                        QLatin1StringView(digits_.data(), static_cast<qsizetype>(digits_.size())));
                    return;
                }
            }
            wide_.resize(0);
            wide_.append(text);
            addWide(wide_);
        } else {
            addWide(text);
        }
    });
}

void TidiedRows::addWide(QStringView text)
{
    wideDigits_.resize(0);
    if (TidyNumber(text, wideDigits_)) {
        if (wideDigits_ != text)
            ++counts_.tidied;
        out_.append(QStringView(wideDigits_));
        return;
    }
    out_.append(text);
    switch (WhyLeftAsItIs(text)) {
    case LeftAsItIs::Extension: ++counts_.extensions; break;
    case LeftAsItIs::Letters: ++counts_.letters; break;
    case LeftAsItIs::Empty: ++counts_.empty; break;
    case LeftAsItIs::Other: ++counts_.other; break;
    }
}

DistinctRows::DistinctRows(const TextColumn& texts, const std::function<void()>& between)
{
    // A key is a number's digits or a text's UTF-8, after one byte that tells the two apart.
    seen_.reserve(texts.count(), texts.characters() + texts.count(), between);
}

void DistinctRows::add(const TextColumn& texts, qsizetype row)
{
    const bool first = texts.visit(row, [this](auto text) {
        if constexpr (kNarrow<decltype(text)>) {
            if (IsAscii(text.data(), text.size())) {
                DuplicateKey(Bytes(text), key_);
                return seen_.insert(key_);
            }
            wide_.resize(0);
            wide_.append(text);
            DuplicateKey(QStringView(wide_), key_);
        } else {
            DuplicateKey(text, key_);
        }
        return seen_.insert(key_);
    });
    if (first)
        texts.visit(row, [this](auto text) { out_.append(text); });
    else
        ++removed_;
}

QString TidyReport(const TidyCounts& counts)
{
    QString text = counts.tidied == 0
                       ? QStringLiteral("No numbers needed tidying")
                       : QStringLiteral("Tidied ") + Counted(counts.tidied, "number", "numbers");
    const qsizetype left = counts.leftAsTheyWere();
    if (left == 0)
        return text + QLatin1Char('.');
    QStringList why;
    const auto reason = [&why](qsizetype count, const char* what) {
        if (count > 0)
            why << Grouped(count) + QLatin1Char(' ') + QLatin1String(what);
    };
    reason(counts.letters, "holding letters");
    reason(counts.extensions, "with an extension");
    reason(counts.empty, "empty");
    reason(counts.other, "with other characters");
    text += left == 1 ? QStringLiteral("; 1 text was left as it was: ")
                      : QStringLiteral("; %1 texts were left as they were: ").arg(Grouped(left));
    return text + why.join(QStringLiteral(", ")) + QLatin1Char('.');
}

QString DuplicatesReport(qsizetype removed)
{
    if (removed == 0)
        return QStringLiteral("No duplicate numbers were found.");
    return QStringLiteral("Removed ") + Counted(removed, "duplicate number", "duplicate numbers")
           + QLatin1Char('.');
}

#include "core/country_rule.h"

#include "core/digit_pattern.h"
#include "core/formatting_rules.h"
#include "core/number_tidy.h"

#include <QRegularExpression>

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <array>
#include <set>

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

struct LayoutName {
    CountryRule::Layout layout;
    const char* name;
};
constexpr std::array<LayoutName, 4> kLayoutNames{
    {{CountryRule::Layout::E164, "e164"},
     {CountryRule::Layout::International, "international"},
     {CountryRule::Layout::National, "national"},
     {CountryRule::Layout::Rfc3966, "rfc3966"}}};

bool IsKnownRegion(const std::string& region)
{
    static const std::set<std::string> regions = [] {
        std::set<std::string> all;
        PhoneNumberUtil::GetInstance()->GetSupportedRegions(&all);
        return all;
    }();
    return regions.contains(region);
}

// Whether the text is a phone number as people write one, which is all a country rule reads:
// a number written with punctuation, with an extension after it or not, or a vanity number
// (digits, then capital letters: "1-800-FLOWERS"). The library itself would pick a number out
// of any note ("Call 603 434 3563 after six") and turn words into digits ("See 603 for more"),
// rewriting a note as a number that is no one's.
bool IsPhoneNumberText(std::string_view text)
{
    static const QRegularExpression vanity(
        QStringLiteral(R"(^\s*\+?[\d\s().\-/]*\d[\d\s().\-/]*[A-Z][A-Z\d\s.\-]*$)"));
    QString body = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (const qsizetype extension = ExtensionStart(body); extension >= 0)
        body.truncate(extension);
    QString digits;
    return TidyNumber(QStringView(body), digits) || vanity.match(body).hasMatch();
}

}  // namespace

CountryRule::Parsed CountryRule::parse(QStringView text)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0) {
        Parsed parsed;
        parsed.error = QStringLiteral("a country rule is CC=LAYOUT");
        return parsed;
    }
    return fromCells(text.left(equals), text.mid(equals + 1));
}

bool CountryRule::looksLikeRegion(QStringView cell)
{
    return cell == QLatin1String("+")
           || (cell.size() == 2 && cell[0].isLetter() && cell[0].unicode() < 0x80
               && cell[1].isLetter() && cell[1].unicode() < 0x80);
}

CountryRule::Parsed CountryRule::fromCells(QStringView regionCell, QStringView layout)
{
    Parsed parsed;
    const QString region = regionCell.toString().toUpper();
    CountryRule rule;
    if (region != QLatin1String("+")) {
        rule.region = region.toStdString();
        if (!looksLikeRegion(regionCell) || !IsKnownRegion(rule.region)) {
            parsed.error = QStringLiteral("unknown region \"%1\"").arg(regionCell);
            return parsed;
        }
    }
    bool named = false;
    for (const LayoutName& each : kLayoutNames)
        if (layout.compare(QLatin1String(each.name), Qt::CaseInsensitive) == 0) {
            rule.layout = each.layout;
            named = true;
        }
    if (!named) {
        if (!layout.contains(QLatin1Char('x'))) {
            parsed.error = QStringLiteral("unknown layout \"%1\"").arg(layout);
            return parsed;
        }
        rule.layout = Layout::Pattern;
        rule.pattern = layout.toString();
    }
    parsed.rule = std::move(rule);
    return parsed;
}

QString CountryRule::regionText() const
{
    return region.empty() ? QStringLiteral("+") : QString::fromStdString(region);
}

QString CountryRule::layoutText() const
{
    for (const LayoutName& each : kLayoutNames)
        if (each.layout == layout)
            return QLatin1String(each.name);
    return pattern;
}

CountryOutcome ApplyCountryRule(const CountryRule& rule, std::string_view text, WithKey withKey)
{
    CountryOutcome outcome;
    // The library reads no number from a text this long; a row of megabytes is not copied for it.
    if (text.size() > kLongestCountryText || !IsPhoneNumberText(text))
        return outcome;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    PhoneNumber number;
    const std::string region = rule.region.empty() ? std::string("ZZ") : rule.region;
    if (util.Parse(std::string(text), region, &number) != PhoneNumberUtil::NO_PARSING_ERROR)
        return outcome;
    if (!rule.region.empty() && number.country_code() != util.GetCountryCodeForRegion(rule.region))
        return outcome;
    if (!util.IsValidNumber(number)) {
        if (util.IsPossibleNumber(number))
            outcome.kind = CountryOutcome::Kind::Possible;
        return outcome;
    }
    outcome.kind = CountryOutcome::Kind::Fitted;
    if (withKey == WithKey::Yes) {
        util.Format(number, PhoneNumberUtil::E164, &outcome.key);
        outcome.key += ';' + number.extension();
    }
    switch (rule.layout) {
    case CountryRule::Layout::E164:
        util.Format(number, PhoneNumberUtil::E164, &outcome.out);
        // The library's E.164 drops an extension; the user's data keeps it.
        if (number.has_extension() && !number.extension().empty())
            outcome.out += ";ext=" + number.extension();
        break;
    case CountryRule::Layout::International:
        util.Format(number, PhoneNumberUtil::INTERNATIONAL, &outcome.out);
        break;
    case CountryRule::Layout::National:
        util.Format(number, PhoneNumberUtil::NATIONAL, &outcome.out);
        break;
    case CountryRule::Layout::Rfc3966:
        util.Format(number, PhoneNumberUtil::RFC3966, &outcome.out);
        break;
    case CountryRule::Layout::Pattern: {
        std::string digits;
        util.GetNationalSignificantNumber(number, &digits);
        outcome.out = ApplyDigitPattern(QString::fromStdString(digits), DigitPlaces(rule.pattern))
                          .toStdString();
        if (number.has_extension() && !number.extension().empty())
            outcome.out += " ext. " + number.extension();
        break;
    }
    }
    return outcome;
}

QString CountryDataVersion()
{
    return QStringLiteral(DIALWRIGHT_PHONENUMBER_VERSION);
}

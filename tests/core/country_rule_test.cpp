#include "core/country_rule.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct CountryCase {
    const char* text;
    const char* rule;
    const char* expected;  // the laid-out number; "possible" or "-" when it does not fit
};

QString Outcome(const char* rule, const char* text)
{
    const CountryRule::Parsed parsed = CountryRule::parse(QString::fromUtf8(rule));
    if (!parsed.rule)
        return QStringLiteral("refused: ") + parsed.error;
    const CountryOutcome outcome = ApplyCountryRule(*parsed.rule, text);
    switch (outcome.kind) {
    case CountryOutcome::Kind::Fitted: return QString::fromStdString(outcome.out);
    case CountryOutcome::Kind::Possible: return QStringLiteral("possible");
    case CountryOutcome::Kind::NotFitted: break;
    }
    return QStringLiteral("-");
}

// Numbers as people write them, read by the plan of the rule's country and laid out: national
// and international forms, international prefixes, the "(0)" of a trunk prefix, extensions in
// every spelling, vanity letters, junk.
TEST(CountryRule, ReadsNumbersByTheirCountrysPlanAndLaysThemOut)
{
    const CountryCase cases[] = {
        {"(603) 434-3563", "US=e164", "+16034343563"},
        {"603.434.3563", "us=international", "+1 603-434-3563"},
        {"+1 603 434 3563", "US=national", "(603) 434-3563"},
        {"1-603-434-3563", "US=rfc3966", "tel:+1-603-434-3563"},
        {"6034343563", "US=xxx.xxx.xxxx", "603.434.3563"},
        {"603-434-3563 ext. 12", "US=e164", "+16034343563;ext=12"},
        {"603-434-3563 x12", "US=national", "(603) 434-3563 ext. 12"},
        {"603-434-3563;ext=7", "US=rfc3966", "tel:+1-603-434-3563;ext=7"},
        {"603 434 3563 #44", "US=xxx-xxx-xxxx", "603-434-3563 ext. 44"},
        {"1-800-FLOWERS", "US=e164", "+18003569377"},
        {"416-555-0123", "US=e164", "+14165550123"},  // Canada shares +1
        {"(416) 967-1111", "US=e164", "+14169671111"},
        {"(416) 967-1111", "CA=national", "(416) 967-1111"},
        {"011 44 20 7946 0958", "US=e164", "-"},
        {"011 44 20 7946 0958", "GB=e164", "-"},
        {"020 7946 0958", "GB=national", "020 7946 0958"},
        {"+44 (0)20 7946 0958", "GB=e164", "+442079460958"},
        {"0044 20 7946 0958", "GB=international", "+44 20 7946 0958"},
        {"+44 (0)20 7946 0958", "+=e164", "+442079460958"},
        {"020 7946 0958", "+=e164", "-"},
        {"030 1234567", "DE=international", "+49 30 1234567"},
        {"01 23 45 67 89", "FR=e164", "+33123456789"},
        {"098765 43210", "IN=e164", "+919876543210"},
        {"(11) 91234-5678", "BR=national", "(11) 91234-5678"},
        {"03-1234-5678", "JP=e164", "+81312345678"},
        {"(02) 9876 5432", "AU=international", "+61 2 9876 5432"},
        {"6034343563", "GB=e164", "possible"},
        {"call home", "US=e164", "-"},
        // A note is no number, though the library would pick one out or spell one from words.
        {"See 603 for more", "US=e164", "-"},
        {"434-3563 Bob", "US=e164", "-"},
        {"John Smith 603 434 3563", "US=e164", "-"},
        {"Fax: 603.434.3563", "US=e164", "-"},
        {"", "US=e164", "-"},
    };
    for (const CountryCase& c : cases) {
        SCOPED_TRACE(std::string(c.rule) + " on " + c.text);
        EXPECT_EQ(Outcome(c.rule, c.text), QString::fromUtf8(c.expected));
    }
    // A number among blanks reads up to the library's longest text, and no further.
    const std::string padded = std::string(kLongestCountryText - 10, ' ') + "6034343563";
    EXPECT_EQ(Outcome("US=e164", padded.c_str()), QStringLiteral("+16034343563"));
    EXPECT_EQ(Outcome("US=e164", (' ' + padded).c_str()), QStringLiteral("-"));
}

TEST(CountryRule, AnUnknownRegionOrLayoutIsNamed)
{
    const std::pair<const char*, const char*> cases[] = {
        {"XX=e164", "refused: unknown region \"XX\""},
        {"USA=e164", "refused: unknown region \"USA\""},
        {"=e164", "refused: unknown region \"\""},
        {"US=E.164", "refused: unknown layout \"E.164\""},
        {"US=", "refused: unknown layout \"\""},
        {"US", "refused: a country rule is CC=LAYOUT"},
    };
    for (const auto& [rule, expected] : cases)
        EXPECT_EQ(Outcome(rule, "6034343563"), QString::fromUtf8(expected)) << rule;
    const CountryRule::Parsed gb = CountryRule::parse(u"gb=NATIONAL");
    ASSERT_TRUE(gb.rule.has_value());
    EXPECT_EQ(gb.rule->regionText(), QStringLiteral("GB"));
    EXPECT_EQ(gb.rule->layoutText(), QStringLiteral("national"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+(\\.\\d+)?$"))
                    .match(CountryDataVersion())
                    .hasMatch())
        << CountryDataVersion().toStdString();
}

}  // namespace

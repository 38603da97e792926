#include "core/app_error.h"
#include "core/decimal_number.h"

#include <gtest/gtest.h>

namespace {

TEST(IsNumeric, AcceptsPlainDecimalNumbers)
{
    for (const char16_t* text : {u"0", u"-5", u"2.5", u"99999", u" 10 ", u"+7", u".5", u"5.",
                                 u"1e3", u"1E+3", u"2.5e-1", u"007"})
        EXPECT_TRUE(IsNumeric(text)) << QString::fromUtf16(text).toStdString();
}

TEST(IsNumeric, RefusesEverythingElse)
{
    for (const char16_t* text :
         {u"",      u" ",      u"abc", u"12a", u"1,000", u"&H10", u"0x10",   u"$5",  u"(5)",
          u"1.2.3", u".",      u"-",   u"+-1", u"1e",    u"1e+",  u"e5",     u"1 0", u"inf",
          u"nan",   u"\uff11", u"1d2", u"5-",  u"\t7",   u"7\t",  u"\u00a07"})
        EXPECT_FALSE(IsNumeric(text)) << QString::fromUtf16(text).toStdString();
}

struct LengthCase {
    QString text;
    int value;
};

void PrintTo(const LengthCase& c, std::ostream* out)
{
    *out << c.text.left(60).toStdString() << " -> " << c.value;
}

class RuleLengthValueTable : public ::testing::TestWithParam<LengthCase> {};

// Rounded once, from the exact decimal value: no detour through binary floating point.
TEST_P(RuleLengthValueTable, RoundsTheExactValueHalfToEven)
{
    EXPECT_EQ(RuleLengthValue(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RuleLengthValueTable,
    ::testing::Values(LengthCase{"10", 10}, LengthCase{" 7 ", 7}, LengthCase{"07", 7},
                      LengthCase{"10.5", 10}, LengthCase{"11.5", 12}, LengthCase{"10.51", 11},
                      LengthCase{"-0.5", 0}, LengthCase{"-1.5", -2}, LengthCase{"1e1", 10},
                      LengthCase{"32767", 32767}, LengthCase{"-32768", -32768},
                      LengthCase{"-32768.5", -32768}, LengthCase{"32767.4", 32767},
                      LengthCase{"1e-400", 0}, LengthCase{"11.4999999999999999", 11},
                      LengthCase{"32767.4999999999999999", 32767},
                      LengthCase{"10.5000000000000000001", 11}, LengthCase{"0.5e1", 5},
                      LengthCase{"1050e-2", 10}, LengthCase{"0.00115e4", 12},
                      LengthCase{"0." + QString(400, QLatin1Char('0')) + "1", 0},
                      LengthCase{"1" + QString(400, QLatin1Char('0')) + "e-399", 10},
                      LengthCase{"7e-99999999999999999999999999", 0}));

TEST(RuleLengthValue, NotANumberIsATypeMismatch)
{
    for (const char16_t* text : {u"abc", u"", u"1,000", u"&H10"}) {
        try {
            RuleLengthValue(text);
            ADD_FAILURE() << "no failure for " << QString::fromUtf16(text).toStdString();
        } catch (const AppError& error) {
            EXPECT_EQ(error.description(), QStringLiteral("Type mismatch"));
        }
    }
}

TEST(RuleLengthValue, OutsideSixteenBitsIsAnOverflow)
{
    const QStringList texts{"99999",
                            "32767.5",
                            "-32768.6",
                            "32768",
                            "1e400",
                            "-1e400",
                            "1e99999999999999999999999999",
                            "1" + QString(400, QLatin1Char('0')) + "e-1"};
    for (const QString& text : texts) {
        try {
            RuleLengthValue(text);
            ADD_FAILURE() << "no failure for " << text.left(60).toStdString();
        } catch (const AppError& error) {
            EXPECT_EQ(error.description(), QStringLiteral("Overflow"));
        }
    }
}

}  // namespace

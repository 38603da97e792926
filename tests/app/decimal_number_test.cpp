#include "app/app_error.h"
#include "app/decimal_number.h"

#include <gtest/gtest.h>

namespace {

TEST(IsNumeric, AcceptsPlainDecimalNumbers)
{
    for (const char16_t* text : {u"0", u"-5", u"2.5", u"99999", u" 10 ", u"+7", u".5", u"5.",
                                 u"1e3", u"1E+3", u"2.5e-1", u"\t7\t", u"007"})
        EXPECT_TRUE(IsNumeric(text)) << QString::fromUtf16(text).toStdString();
}

TEST(IsNumeric, RefusesEverythingElse)
{
    for (const char16_t* text :
         {u"",    u" ",     u"abc", u"12a",    u"1,000", u"&H10", u"0x10", u"$5",
          u"(5)", u"1.2.3", u".",   u"-",      u"+-1",   u"1e",   u"1e+",  u"e5",
          u"1 0", u"inf",   u"nan", u"\uff11", u"1d2",   u"5-"})
        EXPECT_FALSE(IsNumeric(text)) << QString::fromUtf16(text).toStdString();
}

struct LengthCase {
    const char16_t* text;
    int value;
};

void PrintTo(const LengthCase& c, std::ostream* out)
{
    *out << QString::fromUtf16(c.text).toStdString() << " -> " << c.value;
}

class RuleLengthValueTable : public ::testing::TestWithParam<LengthCase> {};

TEST_P(RuleLengthValueTable, RoundsHalfToEven)
{
    EXPECT_EQ(RuleLengthValue(GetParam().text), GetParam().value)
        << QString::fromUtf16(GetParam().text).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Values, RuleLengthValueTable,
    ::testing::Values(LengthCase{u"10", 10}, LengthCase{u" 7 ", 7}, LengthCase{u"07", 7},
                      LengthCase{u"10.5", 10}, LengthCase{u"11.5", 12}, LengthCase{u"10.51", 11},
                      LengthCase{u"-0.5", 0}, LengthCase{u"-1.5", -2}, LengthCase{u"1e1", 10},
                      LengthCase{u"32767", 32767}, LengthCase{u"-32768", -32768},
                      LengthCase{u"32767.4", 32767}, LengthCase{u"1e-400", 0}));

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
    for (const char16_t* text :
         {u"99999", u"32767.5", u"-32768.6", u"32768", u"1e400", u"-1e400"}) {
        try {
            RuleLengthValue(text);
            ADD_FAILURE() << "no failure for " << QString::fromUtf16(text).toStdString();
        } catch (const AppError& error) {
            EXPECT_EQ(error.description(), QStringLiteral("Overflow"));
        }
    }
}

}  // namespace

#include "core/digit_pattern.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* text;
    const char* pattern;
    const char* expected;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.text << " into " << c.pattern;
}

class ApplyDigitPatternTable : public ::testing::TestWithParam<Case> {};

TEST_P(ApplyDigitPatternTable, LaysDigitsFromTheRight)
{
    const Case& c = GetParam();
    EXPECT_EQ(ApplyDigitPattern(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern)),
              QString::fromUtf8(c.expected))
        << c.text << " into " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, ApplyDigitPatternTable,
                         ::testing::Values(Case{"6034343563", "###-###-####", "603-434-3563"},
                                           Case{"7173933292", "###-###-####", "717-393-3292"},
                                           Case{"7978118", "###/####", "797/8118"},
                                           // Surplus digits gather at the leftmost place.
                                           Case{"16034343563", "(###) ###-####", "(1603) 434-3563"},
                                           // Literals stay where the digits ran out.
                                           Case{"7978118", "(###) ###-####", "() 797-8118"}));

INSTANTIATE_TEST_SUITE_P(LeadingZerosAreDigits, ApplyDigitPatternTable,
                         ::testing::Values(Case{"0123456789", "###-###-####", "012-345-6789"},
                                           Case{"0000000", "###/####", "000/0000"},
                                           Case{"0", "#", "0"}, Case{"007", "##-#", "00-7"}));

INSTANTIATE_TEST_SUITE_P(
    NotANumberComesBackUnchanged, ApplyDigitPatternTable,
    ::testing::Values(Case{"", "###", ""}, Case{"abcdefg", "###/####", "abcdefg"},
                      Case{" 7978118", "###/####", " 7978118"},
                      Case{"797 8118", "###/####", "797 8118"},
                      Case{"-7978118", "###/####", "-7978118"},
                      Case{"797.8118", "###/####", "797.8118"},
                      Case{"555-1234", "###-####", "555-1234"},
                      Case{"(603)4343563", "###-###-####", "(603)4343563"},
                      Case{"&H7978118", "###/####", "&H7978118"},
                      Case{"\xd9\xa1\xd9\xa2\xd9\xa3", "###", "\xd9\xa1\xd9\xa2\xd9\xa3"}));

INSTANTIATE_TEST_SUITE_P(
    OnlyTheHashIsAPlace, ApplyDigitPatternTable,
    ::testing::Values(Case{"7978118", "xxx/xxxx", "7978118"},  // no "#": unchanged
                      Case{"7978118", "", "7978118"},
                      Case{"1234567", "0.,%E+e-\\\";@&/:#", "0.,%E+e-\\\";@&/:1234567"},
                      Case{"1234", "#/#:#", "12/3:4"}, Case{"12", "dd/mm #-#", "dd/mm 1-2"},
                      Case{"1234", "X#X#", "X123X4"}));

INSTANTIATE_TEST_SUITE_P(
    AnyLength, ApplyDigitPatternTable,
    ::testing::Values(Case{"12345678901234567890", "###-####", "1234567890123456-7890"},
                      Case{"98765432109876543210", "#", "98765432109876543210"},
                      Case{"1", "###-###", "-1"}, Case{"12", "#-#-#", "-1-2"}));

TEST(ApplyDigitPattern, KeepsEveryDigitOfALongNumberInOrder)
{
    const QString digits = QStringLiteral("31415926535897932384626433832795028841971");
    QString result = ApplyDigitPattern(digits, u"+# (###) ###-####");
    result.remove(QRegularExpression(QStringLiteral("[^0-9]")));
    EXPECT_EQ(result, digits);
}

TEST(IsDigitString, AcceptsOnlyAsciiDigits)
{
    EXPECT_TRUE(IsDigitString(u"0"));
    EXPECT_TRUE(IsDigitString(u"0123456789"));
    EXPECT_FALSE(IsDigitString(u""));
    EXPECT_FALSE(IsDigitString(u"12 3"));
    EXPECT_FALSE(IsDigitString(u"+1"));
    EXPECT_FALSE(IsDigitString(u"\uff11"));  // a full-width digit
}

}  // namespace

#include "app/engine/distinct_keys.h"
#include "app/engine/number_tidy.h"

#include <gtest/gtest.h>

namespace {

struct TidyCase {
    const char* text;    // UTF-8
    const char* tidied;  // nullptr: left as it is
    LeftAsItIs why = LeftAsItIs::Other;
};

// Every separator, the digits of other scripts, "+", extensions in each spelling, letters,
// blanks and the empty text; the window's UTF-16 road and the command line's UTF-8 road agree.
const TidyCase kCases[] = {
    {"(603) 434-3563", "6034343563"},
    {"603.434.3563", "6034343563"},
    {"603/434 3563", "6034343563"},
    {"+1 603 434 3563", "16034343563"},
    {"  +1-603-434-3563\t", "16034343563"},
    {"6034343563", "6034343563"},
    {"0012 34", "001234"},
    {"603\u00a0434\u20133563", "6034343563"},  // no-break space, en dash
    {"603\u2014434\u2010"
     "3563",
     "6034343563"},  // em dash, hyphen
    {"\uff16\uff10\uff13\uff14\uff13\uff14\uff13\uff15\uff16\uff13", "6034343563"},  // full-width
    {"\u0666\u0660\u0663-\u0664\u0663\u0664", "603434"},                             // Arabic-Indic
    {"\u0967\u0968\u0969", "123"},                                                   // Devanagari
    {"\U0001D7CE\U0001D7CF", "01"},  // mathematical digits, beyond the BMP
    {"1+2", nullptr},
    {"++1 603", nullptr},
    {"603 +1", nullptr},
    {"+", nullptr},
    {"-.-", nullptr},
    {"", nullptr},
    {"   ", nullptr},
    {"1-800-FLOWERS", nullptr, LeftAsItIs::Letters},
    {"caf\u00e9", nullptr, LeftAsItIs::Letters},
    {"603-434-3563 x12", nullptr, LeftAsItIs::Extension},
    {"603-434-3563 X 12", nullptr, LeftAsItIs::Extension},
    {"603-434-3563 ext 12", nullptr, LeftAsItIs::Extension},
    {"603-434-3563 Ext. 12", nullptr, LeftAsItIs::Extension},
    {"603-434-3563 extension 12", nullptr, LeftAsItIs::Extension},
    {"603-434-3563 #12", nullptr, LeftAsItIs::Extension},
    {"+16034343563;ext=12", nullptr, LeftAsItIs::Extension},
    {"603*434", nullptr},
    {"603,434", nullptr},
};

TEST(NumberTidy, TextsAreTidiedOrLeftAsTheyAre)
{
    for (const TidyCase& c : kCases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        QString wide = QStringLiteral("kept");
        std::string narrow = "kept";
        const bool tidied = TidyNumber(text, wide);
        EXPECT_EQ(TidyNumber(std::string_view(c.text), narrow), tidied);
        if (c.tidied != nullptr) {
            ASSERT_TRUE(tidied);
            EXPECT_EQ(wide, QStringLiteral("kept") + QString::fromLatin1(c.tidied));
            EXPECT_EQ(narrow, std::string("kept") + c.tidied);
        } else {
            EXPECT_FALSE(tidied);
            EXPECT_EQ(wide, QStringLiteral("kept"));  // nothing appended
            EXPECT_EQ(narrow, "kept");
            EXPECT_EQ(WhyLeftAsItIs(text), c.why);
        }
    }
}

// A NUL inside a text is a character that is no part of a number, never the text's end.
TEST(NumberTidy, ANulIsNoEndOfTheText)
{
    const QString text = QStringLiteral("603") + QChar(u'\0') + QStringLiteral("434 abc");
    QString wide;
    std::string narrow;
    EXPECT_FALSE(TidyNumber(text, wide));
    EXPECT_FALSE(TidyNumber(std::string_view("603\0"
                                             "4343563",
                                             11),
                            narrow));
    EXPECT_EQ(WhyLeftAsItIs(text), LeftAsItIs::Letters);
    std::string withNul;
    std::string plain;
    DuplicateKey(QStringView(text).first(4), withNul);
    DuplicateKey(QStringLiteral("603"), plain);
    EXPECT_NE(withNul, plain);
}

// Numbers are the same across layouts; any other text equals only itself, and the digits of a
// number never meet a text that is not one.
TEST(NumberTidy, DuplicatesAcrossLayouts)
{
    const auto key = [](const char* text) {
        std::string wide;
        std::string narrow;
        DuplicateKey(QString::fromUtf8(text), wide);
        DuplicateKey(std::string_view(text), narrow);
        EXPECT_EQ(wide, narrow) << text;
        return wide;
    };
    EXPECT_EQ(key("(603) 434-3563"), key("603.434.3563"));
    EXPECT_EQ(key("603.434.3563"), key("6034343563"));
    EXPECT_NE(key("6034343563"), key("16034343563"));
    EXPECT_NE(key("1-800-FLOWERS"), key("1-800-flowers"));
    EXPECT_NE(key("#6034343563"), key("6034343563"));
    EXPECT_NE(key(""), key(" "));

    DistinctKeys seen;
    int fresh = 0;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 50'000; ++i)
            fresh += seen.insert(key(std::to_string(i * 7919).c_str())) ? 1 : 0;
    EXPECT_EQ(fresh, 50'000);
    EXPECT_EQ(seen.size(), 50'000);
    // Room taken for more keys while it holds some, its pages a slice at a time, loses none of
    // them.
    int slices = 0;
    seen.reserve(1'000'000, 10'000'000, [&slices] { ++slices; });
    EXPECT_GT(slices, 0);
    for (int i = 0; i < 50'000; ++i)
        fresh += seen.insert(key(std::to_string(i * 7919).c_str())) ? 1 : 0;
    EXPECT_EQ(fresh, 50'000);
    EXPECT_TRUE(seen.insert(key("fresh")));
    EXPECT_EQ(seen.size(), 50'001);
}

}  // namespace

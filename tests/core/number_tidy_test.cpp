#include "core/number_tidy.h"
#include "lists/distinct_keys.h"
#include "lists/number_list_rewrite.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::literals;

struct TidyCase {
    const char* text;    // UTF-8
    const char* tidied;  // nullptr: left as it is
    LeftAsItIs why = LeftAsItIs::Other;
};

// Every separator, the digits of other scripts, "+", extensions in each spelling, letters,
// blanks and the empty text, invisible characters and full-width forms; every road agrees: the
// UTF-16 and UTF-8 functions, and the window's list in eight bits or in UTF-16.
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
    {"", nullptr, LeftAsItIs::Empty},
    {"   ", nullptr, LeftAsItIs::Empty},
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
    // Invisible characters count for nothing wherever they stand, even before a "+".
    {"\ufeff603", "603"},                   // byte order mark
    {"604\u200b", "604"},                   // zero-width space
    {"\ufeff+1 603", "1603"},               // a "+" after one is still first
    {"\u200e+1 603 434\u200f", "1603434"},  // direction marks
    {"603\u2060434\u00ad"
     "3563",
     "6034343563"},          // word joiner, soft hyphen
    {"+\u200b+1", nullptr},  // one "+" only, unseen between or not
    {"\ufeff", nullptr, LeftAsItIs::Empty},
    {"\u200b \u00ad", nullptr, LeftAsItIs::Empty},
    {"\u00ad", nullptr, LeftAsItIs::Empty},  // in eight bits
    {"603-434-3563 ext.\u200b12", nullptr, LeftAsItIs::Extension},
    // Full-width forms are their ASCII characters.
    {"\uff08\uff10\uff13\uff09\uff11\uff12\uff13\uff14", "031234"},  // （０３）１２３４
    {"\uff0b\uff11 \uff16\uff10\uff13", "1603"},                     // ＋１ ６０３
    {"\uff10\uff13\uff0d\uff11\uff12\uff13\uff14\uff0d\uff15\uff16\uff17\uff18",
     "0312345678"},  // ０３－１２３４－５６７８
    {"\uff10\uff13\uff0e\uff11\uff12\uff0f\uff13\u3000\uff14", "031234"},
    {"\uff0b\uff0b\uff11", nullptr},
    {"\uff11\uff0b\uff12", nullptr},
    {"\uff11\uff0d\uff18\uff10\uff10\uff0d\uff26\uff2c\uff2f\uff37\uff25\uff32\uff33", nullptr,
     LeftAsItIs::Letters},  // １－８００－ＦＬＯＷＥＲＳ
    {"\uff16\uff10\uff13 \uff45\uff58\uff54\uff0e\uff11\uff12", nullptr,
     LeftAsItIs::Extension},                // ６０３ ｅｘｔ．１２
    {"\uff16\uff10\uff13\uff0a", nullptr},  // ６０３＊
    {"\u3000", nullptr, LeftAsItIs::Empty},
};

// The text in UTF-16 with all its characters: QString::fromUtf8 would drop a leading U+FEFF.
QString Utf16Of(const char* utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8));
}

// What a count of texts left as they were holds for that reason.
qsizetype LeftFor(const TidyCounts& counts, LeftAsItIs why)
{
    switch (why) {
    case LeftAsItIs::Extension: return counts.extensions;
    case LeftAsItIs::Letters: return counts.letters;
    case LeftAsItIs::Empty: return counts.empty;
    case LeftAsItIs::Other: return counts.other;
    }
    return -1;
}

// Whether a text fits the eight bits a list keeps such texts in.
bool FitsLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar unit) { return unit.unicode() < 0x100; });
}

TEST(NumberTidy, TextsAreTidiedOrLeftAsTheyAre)
{
    for (const TidyCase& c : kCases) {
        SCOPED_TRACE(c.text);
        const QString text = Utf16Of(c.text);
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
        const QString expected = c.tidied != nullptr ? QString::fromLatin1(c.tidied) : text;

        // The window's list, in eight bits where the text fits them.
        TextColumn rows;
        rows.append(text);
        EXPECT_EQ(rows.wide(), !FitsLatin1(text));
        TidiedRows tidiedRows;
        tidiedRows.add(rows, 0);
        const TidyCounts& counts = tidiedRows.counts();
        EXPECT_EQ(counts.tidied, expected != text ? 1 : 0);
        EXPECT_EQ(counts.leftAsTheyWere(), c.tidied == nullptr ? 1 : 0);
        if (c.tidied == nullptr)
            EXPECT_EQ(LeftFor(counts, c.why), 1);
        EXPECT_EQ(tidiedRows.take().at(0), expected);

        // A number and its digits are one number; any other text is the same only as itself.
        std::string wideKey;
        std::string narrowKey;
        DuplicateKey(text, wideKey);
        DuplicateKey(std::string_view(c.text), narrowKey);
        EXPECT_EQ(wideKey, narrowKey);
        rows.append(expected);
        rows.append(text + QLatin1Char('?'));
        DistinctRows distinct(rows, [] {});
        for (qsizetype row = 0; row < rows.count(); ++row)
            distinct.add(rows, row);
        EXPECT_EQ(distinct.removed(), 1);
        EXPECT_EQ(distinct.take().at(0), text);
    }
}

// Bytes that are not UTF-8, a surrogate encoded in them included, are never a number and never
// stop the reading short.
TEST(NumberTidy, BytesThatAreNotUtf8AreNoNumber)
{
    const std::string_view kBytes[] = {
        "603\xed\xa0\x80"sv,  // a high surrogate
        "\xed\xb0\x80"
        "603"sv,                   // a low surrogate
        "\xc0\xb6"sv,              // "6", overlong
        "\xe0\x80\xb6"sv,          // "6", overlong
        "\xf0\x80\x80\xb6"sv,      // "6", overlong
        "603\x80"sv,               // a stray continuation byte
        "60\xf4\x90\x80\x80"sv,    // beyond U+10FFFF
        "\xf8\x88\x80\x80\x80"sv,  // five bytes
        "\xff"
        "603"sv,
        "603\xef\xbc"sv,  // "０" cut short at the end
        "\xef\xbc"
        "603"sv,  // and before more
        "\xe2\x80"sv,
    };
    for (const std::string_view bytes : kBytes) {
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        std::string out = "kept";
        EXPECT_FALSE(TidyNumber(bytes, out));
        EXPECT_EQ(out, "kept");
        std::string key;
        DuplicateKey(bytes, key);
        EXPECT_EQ(key, "=" + std::string(bytes));
    }
    std::string out;
    EXPECT_TRUE(TidyNumber("603\xef\xbc\x90"sv, out));  // the same bytes whole: "603０"
    EXPECT_EQ(out, "6030");
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
        DuplicateKey(Utf16Of(text), wide);
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
    EXPECT_EQ(key("604\u200b"), key("604"));
    EXPECT_EQ(key("\uff08\uff10\uff13\uff09\uff11\uff12"), key("(03) 12"));
    // A lone surrogate is itself, never a "?" or another text's bytes.
    std::string lone;
    std::string question;
    DuplicateKey(QStringView(u"a\xD800"), lone);
    DuplicateKey(QStringView(u"a?"), question);
    EXPECT_NE(lone, question);
    EXPECT_EQ(lone, "=a\xed\xa0\x80");

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

// The code units of a text, for a failure to show what no terminal would.
std::string UnitsOf(QStringView text)
{
    std::string units;
    for (const QChar unit : text)
        units += QStringLiteral("%1 ").arg(unit.unicode(), 4, 16, QLatin1Char('0')).toStdString();
    return units;
}

// Random texts from the characters that matter to tidying give the same result on every road:
// UTF-16, the same text in UTF-8 (or, with a lone surrogate, the bytes its key holds for it),
// and the window's list in eight bits and in UTF-16. Two texts share a duplicate key exactly
// when they are the same text or tidy to the same digits.
TEST(NumberTidy, EveryRoadGivesTheSameResult)
{
    static constexpr std::u16string_view kPieces[] = {
        u" "sv,      u"\t"sv,         u"-"sv,          u"."sv,      u"/"sv,      u"("sv,
        u")"sv,      u"+"sv,          u"+"sv,          u"a"sv,      u"x"sv,      u"E"sv,
        u"#"sv,      u"?"sv,          u"*"sv,          u"\0"sv,     u"\n"sv,     u"\u0663"sv,
        u"\u0967"sv, u"\u2013"sv,     u"\u00a0"sv,     u"\u3000"sv, u"\u0085"sv, u"\u00e9"sv,
        u"\u00d7"sv, u"\u00b2"sv,     u"\u00ad"sv,     u"\ufeff"sv, u"\u200b"sv, u"\u200e"sv,
        u"\u200f"sv, u"\u2060"sv,     u"\uff10"sv,     u"\uff15"sv, u"\uff0b"sv, u"\uff08"sv,
        u"\uff09"sv, u"\uff0d"sv,     u"\uff0e"sv,     u"\uff0f"sv, u"\uff21"sv, u"\uff58"sv,
        u"\uff03"sv, u"\uff5e"sv,     u"\uff5f"sv,     u"\xD800"sv, u"\xDBFF"sv, u"\xDC00"sv,
        u"\xDFFF"sv, u"\U0001D7CE"sv, u"\U0001F600"sv,
    };
    constexpr int kTexts = 20'000;
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> length(0, 7);
    std::bernoulli_distribution digit(0.4);
    std::uniform_int_distribution<int> digitValue(0, 9);

    // One road of the window's: a list of texts, what each tidies to (or itself), and its class,
    // its digits after "#" or itself after "=".
    struct Road {
        TextColumn rows;
        std::vector<QString> texts;
        std::vector<QString> tidied;
        std::vector<std::u16string> classes;
        qsizetype numbers = 0;
        void add(const QString& text, const QString& tidiedText, const std::u16string& textClass)
        {
            rows.append(text);
            texts.push_back(text);
            tidied.push_back(tidiedText);
            classes.push_back(textClass);
            numbers += textClass.front() == u'#' ? 1 : 0;
        }
    };
    Road all;
    Road latin1;
    std::map<std::string, std::u16string> classOfKey;
    std::map<std::u16string, std::string> keyOfClass;
    for (int i = 0; i < kTexts; ++i) {
        QString text;
        for (int n = length(random); n > 0; --n) {
            if (digit(random)) {
                text.append(QChar(u'0' + digitValue(random)));
            } else {
                const std::u16string_view chosen = kPieces[piece(random)];
                text.append(QStringView(chosen.data(), static_cast<qsizetype>(chosen.size())));
            }
        }
        SCOPED_TRACE(UnitsOf(text));
        QString digits;
        const bool number = TidyNumber(text, digits);
        std::string key;
        DuplicateKey(text, key);
        EXPECT_EQ(key.front() == '#', number);
        if (text.isValidUtf16()) {
            const QByteArray utf8 = text.toUtf8();
            const std::string_view bytes(utf8.data(), static_cast<std::size_t>(utf8.size()));
            std::string narrow = "kept";
            EXPECT_EQ(TidyNumber(bytes, narrow), number);
            EXPECT_EQ(narrow, "kept" + digits.toStdString());
            std::string narrowKey;
            DuplicateKey(bytes, narrowKey);
            EXPECT_EQ(narrowKey, key);
        } else {
            // A surrogate encoded in bytes is no character and no part of a number.
            ASSERT_FALSE(number);
            const std::string_view bytes = std::string_view(key).substr(1);
            std::string narrow;
            EXPECT_FALSE(TidyNumber(bytes, narrow));
            std::string narrowKey;
            DuplicateKey(bytes, narrowKey);
            EXPECT_EQ(narrowKey, key);
        }
        const std::u16string textClass =
            number ? u'#' + digits.toStdU16String() : u'=' + text.toStdU16String();
        EXPECT_EQ(classOfKey.try_emplace(key, textClass).first->second, textClass)
            << "one key for two texts";
        EXPECT_EQ(keyOfClass.try_emplace(textClass, key).first->second, key)
            << "two keys for one text";

        all.add(text, number ? digits : text, textClass);
        if (FitsLatin1(text))
            latin1.add(text, number ? digits : text, textClass);
    }
    ASSERT_TRUE(all.rows.wide());
    ASSERT_FALSE(latin1.rows.wide());
    ASSERT_GT(latin1.rows.count(), kTexts / 10);

    // The window's roads: each row tidied as the functions tidy it, and the first row of each
    // class kept.
    for (Road* road : {&all, &latin1}) {
        const TextColumn& rows = road->rows;
        TidiedRows tidiedRows;
        for (qsizetype row = 0; row < rows.count(); ++row)
            tidiedRows.add(rows, row);
        const TidyCounts counts = tidiedRows.counts();
        const TextColumn tidiedOut = tidiedRows.take();
        qsizetype changed = 0;
        for (qsizetype row = 0; row < rows.count(); ++row) {
            const auto at = static_cast<std::size_t>(row);
            EXPECT_EQ(tidiedOut.at(row), road->tidied[at]) << UnitsOf(road->texts[at]);
            changed += road->tidied[at] != road->texts[at] ? 1 : 0;
        }
        EXPECT_EQ(counts.tidied, changed);
        EXPECT_EQ(counts.leftAsTheyWere(), rows.count() - road->numbers);

        DistinctRows distinct(rows, [] {});
        for (qsizetype row = 0; row < rows.count(); ++row)
            distinct.add(rows, row);
        std::vector<QString> firsts;
        std::set<std::u16string> seen;
        for (std::size_t row = 0; row < road->texts.size(); ++row)
            if (seen.insert(road->classes[row]).second)
                firsts.push_back(road->texts[row]);
        EXPECT_EQ(distinct.removed(), rows.count() - static_cast<qsizetype>(firsts.size()));
        const TextColumn distinctOut = distinct.take();
        ASSERT_EQ(distinctOut.count(), static_cast<qsizetype>(firsts.size()));
        for (qsizetype row = 0; row < distinctOut.count(); ++row)
            EXPECT_EQ(distinctOut.at(row), firsts[static_cast<std::size_t>(row)]);
    }
}

}  // namespace

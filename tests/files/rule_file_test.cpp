#include "files/rule_file.h"
#include "support/file_helpers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The rules as "length|pattern", so a failure prints them readably.
QStringList Rows(const RuleFile::Contents& contents)
{
    QStringList out;
    for (const RuleFile::Rule& rule : contents.rules)
        out << rule.length + QLatin1Char('|') + rule.pattern;
    return out;
}

const QByteArray kSaved = "If length of phone number is this\tthen format like this\t\r\n"
                          "10"
                          + QByteArray(31, ' ') + "\txxx-xxx-xxxx" + QByteArray(9, ' ')
                          + "\t\r\n"
                            "7"
                          + QByteArray(32, ' ') + "\txxx/xxxx" + QByteArray(13, ' ') + "\t\r\n";

struct ParseCase {
    const char* name;
    QByteArray bytes;
    QStringList rules;
    qsizetype skipped;
    // How a message names the skipped lines.
    QString skippedText = {};
    friend void PrintTo(const ParseCase& c, std::ostream* out) { *out << c.name; }
};

class RuleFileParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(RuleFileParse, ReadsRulesAndCountsTheLinesThatAreNot)
{
    const RuleFile::Contents contents = RuleFile::Parse(GetParam().bytes);
    EXPECT_EQ(Rows(contents), GetParam().rules);
    EXPECT_EQ(contents.skippedLines, GetParam().skipped);
    EXPECT_EQ(RuleFile::SkippedLinesText(contents), GetParam().skippedText);
    EXPECT_EQ(contents.ruleLines.size(), contents.rules.size());
    EXPECT_FALSE(contents.error.has_value());
}

const QString kDash = QString::fromUtf8("xxx\u2013xxxx");

INSTANTIATE_TEST_SUITE_P(
    Lines, RuleFileParse,
    ::testing::Values(
        ParseCase{"AlignedSaveWithHeadingAndPadding", kSaved, {"10|xxx-xxx-xxxx", "7|xxx/xxxx"}, 0},
        ParseCase{"WiderColumnsAndAHeadingAgainLaterOn",
                  "If length of phone number is this  \tthen format like this    \t\r\n"
                  "  12"
                      + QByteArray(31, ' ')
                      + "\t (xxx) xxx-xxxx-xxxx-xxxxx\t\r\n"
                        "If length of phone number is this\tthen format like this\r\n"
                        "7\tx",
                  {"  12| (xxx) xxx-xxxx-xxxx-xxxxx", "7|x"},
                  0},
        ParseCase{"HandWrittenWithLineFeedsAndAFinalOne",
                  "10\txxx-xxx-xxxx\n\n7\txxx/xxxx\n",
                  {"10|xxx-xxx-xxxx", "7|xxx/xxxx"},
                  0},
        ParseCase{"SkippedLinesNamedWithTheirOneReason",
                  "10 xxx\n7\tx\n11  x-x\n" + QByteArray("12 x\n").repeated(10),
                  {"7|x"},
                  12,
                  "lines 1, 3, 4, 5, 6, 7, 8, 9, 10, 11 and 2 more (a space where the TAB "
                  "should be)"},
        ParseCase{"CarriageReturnsAloneAndMixed",
                  "10\ta\r7\tb\r\n8\tc\n9\td\r",
                  {"10|a", "7|b", "8|c", "9|d"},
                  0},
        ParseCase{"TabEndsEveryCellSoNothingMayFollowThePattern",
                  "10\txxx\tnote\n10\txx\t  \t \n11\t\t\n5\txxxxx\t\t\n6\txxxxxx\t \n12\tx\t\n",
                  {"12|x"},
                  5,
                  "lines 1, 2, 3, 4 and 5"},
        ParseCase{"LengthsThatPassTheLengthBoxTest",
                  "2.5\ta\n-5\tb\n 0\tc\n1e3\td\n+7.\te\n",
                  {"2.5|a", "-5|b", " 0|c", "1e3|d", "+7.|e"},
                  0},
        ParseCase{"LengthsThatFail",
                  "abc\tx\n12a\tx\n\tx\n1,000\tx\n&H10\tx\n(7)\tx\n",
                  {},
                  6,
                  "lines 1, 2, 3, 4, 5 and 6 (a length that is not a number)"},
        ParseCase{"BlankPatterns",
                  "10\t\t\n10\t     \t\n10\t\n",
                  {},
                  3,
                  "lines 1, 2 and 3 (no pattern after the TAB)"},
        ParseCase{"NoTab", "10 xxx-xxxx\n6034343563\n7\tx\n   \n\t\n", {"7|x"}, 2, "lines 1 and 2"},
        ParseCase{"Utf16LittleEndian",
                  Utf16(QStringLiteral("10\t") + kDash + QStringLiteral("\t\r\n7\tx"), false),
                  {"10|" + kDash, "7|x"},
                  0},
        ParseCase{"Utf16BigEndian",
                  Utf16(QStringLiteral("10\t") + kDash + QStringLiteral("\n"), true),
                  {"10|" + kDash},
                  0},
        ParseCase{"Utf8WithAndWithoutItsMark",
                  "\xef\xbb\xbf"
                  "10\txxx\xe2\x80\x93xxxx\n7\t\xc3\xa9x",
                  {"10|" + kDash, QString::fromUtf8("7|\u00e9x")},
                  0},
        ParseCase{"Windows1252", "10\txxx\x96xxxx\r\n", {"10|" + kDash}, 0},
        ParseCase{"EmptyFile", "", {}, 0}),
    [](const ::testing::TestParamInfo<ParseCase>& each) { return std::string(each.param.name); });

TEST(RuleFileRead, ReadsAFileAndReportsWhatCannotBeRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteBytes(dir.filePath("rules.txt"), kSaved + "not a rule\r\n");
    const RuleFile::Contents read = RuleFile::Read(QFile::encodeName(dir.filePath("rules.txt")));
    EXPECT_EQ(Rows(read), (QStringList{"10|xxx-xxx-xxxx", "7|xxx/xxxx"}));
    EXPECT_EQ(read.skippedLines, 1);
    EXPECT_FALSE(read.error.has_value());

    const struct {
        QString path;
        ErrorCode code;
    } failures[] = {{dir.filePath("missing.txt"), ErrorCode::FileNotFound},
                    {dir.path(), ErrorCode::PathFileAccessError},
                    {QString(), ErrorCode::FileNotFound}};
    for (const auto& failure : failures) {
        const RuleFile::Contents contents = RuleFile::Read(QFile::encodeName(failure.path));
        ASSERT_TRUE(contents.error.has_value()) << failure.path.toStdString();
        EXPECT_EQ(contents.error->code(), failure.code) << failure.path.toStdString();
        EXPECT_TRUE(contents.rules.isEmpty());
        EXPECT_EQ(contents.skippedLines, 0);
    }
}

}  // namespace

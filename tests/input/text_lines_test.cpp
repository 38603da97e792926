#include "input/path_tidy.h"
#include "input/text_lines.h"

#include <gtest/gtest.h>

namespace {

QStringList Split(const QByteArray& bytes)
{
    QStringList out;
    for (const QString& piece : SplitPhoneLines(DecodeTextFile(bytes)))
        out << piece;
    return out;
}

TEST(SplitPhoneLines, EveryKindOfLineEnd)
{
    EXPECT_EQ(Split("a\r\nb\r\n"), (QStringList{"a", "b"}));
    EXPECT_EQ(Split("a\r\nb"), (QStringList{"a", "b"}));
    EXPECT_EQ(Split("a\rb\r"), (QStringList{"a", "b"}));
    EXPECT_EQ(Split("a\nb\n"), (QStringList{"a", "b", ""}));
    EXPECT_EQ(Split("a\nb"), (QStringList{"a", "b"}));
    EXPECT_EQ(Split("a\n\r\nb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(Split("a\r\rb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(Split("\n"), (QStringList{"", ""}));
    EXPECT_EQ(Split("\r\n"), (QStringList{""}));
}

TEST(SplitPhoneLines, BlankLinesAndContentStayVerbatim)
{
    EXPECT_EQ(Split(""), QStringList());
    EXPECT_EQ(Split("6034343563\r\n\r\n (603) 434-3563 \t\r\n"),
              (QStringList{"6034343563", "", " (603) 434-3563 \t"}));
}

TEST(DecodeTextFile, Utf8WithoutItsByteOrderMark)
{
    EXPECT_EQ(DecodeTextFile("\xef\xbb\xbf"
                             "Zo\xc3\xab"),
              QStringLiteral(u"Zo\u00eb"));
    EXPECT_EQ(DecodeTextFile("\xe2\x98\x8e 555"), QStringLiteral(u"\u260e 555"));
}

TEST(DecodeTextFile, AnythingElseIsWindows1252ByteForByte)
{
    EXPECT_EQ(DecodeTextFile("Zo\xeb \x80 \x81\x9d\xff"),
              QStringLiteral(u"Zo\u00eb \u20ac \u0081\u009d\u00ff"));
    QByteArray every(256, '\0');
    for (int i = 0; i < 256; ++i)
        every[i] = static_cast<char>(i);
    const QString decoded = DecodeTextFile(every);
    ASSERT_EQ(decoded.size(), 256);
    EXPECT_EQ(decoded.count(QChar(0xFFFD)), 0);  // nothing replaced
    EXPECT_EQ(decoded[0x8A], QChar(0x0160));
    EXPECT_EQ(decoded[0xE9], QChar(0x00E9));
}

TEST(FixDoubleBackslashes, CollapsesPairsLeftToRight)
{
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("C:\\\\list.txt")),
              QStringLiteral("C:\\list.txt"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("a\\\\\\b")), QStringLiteral("a\\\\b"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("a\\\\\\\\b")), QStringLiteral("a\\\\b"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(FixDoubleBackslashes(QString()), QString());
}

TEST(FixDoubleBackslashes, LeadingRunBecomesExactlyTwo)
{
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("\\server\\share")),
              QStringLiteral("\\\\server\\share"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("\\\\\\\\\\server\\\\x")),
              QStringLiteral("\\\\server\\x"));
    EXPECT_EQ(FixDoubleBackslashes(QStringLiteral("\\\\\\")), QStringLiteral("\\\\"));
}

TEST(FixDoubleSlashes, JoinsAtTheRootComeOutClean)
{
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("//list.txt")), QStringLiteral("/list.txt"));
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("/home/a//b.txt")), QStringLiteral("/home/a/b.txt"));
    EXPECT_EQ(FixDoubleSlashes(QStringLiteral("/home/a\\\\b")), QStringLiteral("/home/a\\\\b"));
}

}  // namespace

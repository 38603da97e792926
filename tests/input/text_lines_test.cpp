#include "app/lists/list_model.h"
#include "input/path_tidy.h"
#include "input/text_lines.h"
#include "support/file_helpers.h"

#include <gtest/gtest.h>

namespace {

QStringList Lines(const QByteArray& bytes, qsizetype block)
{
    QStringList out;
    ListModel list;
    AppendPhoneLines(bytes, list, block);
    for (qsizetype row = 0; row < list.count(); ++row)
        out << list.text(row);
    return out;
}

// The loader's own road, with the file read in blocks of every small size as well: a line, a
// CR LF, a UTF-8 sequence, a UTF-16 unit or pair cut by a block's end must read the same.
QStringList Split(const QByteArray& bytes)
{
    QStringList whole = Lines(bytes, kLoadBlock);
    for (const qsizetype block : {1, 2, 3, 5})
        EXPECT_EQ(Lines(bytes, block), whole) << "blocks of " << block;
    return whole;
}

TEST(PhoneLines, EveryKindOfLineEnd)
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

TEST(PhoneLines, BlankLinesAndContentStayVerbatim)
{
    EXPECT_EQ(Split(""), QStringList());
    EXPECT_EQ(Split("6034343563\r\n\r\n (603) 434-3563 \t\r\n"),
              (QStringList{"6034343563", "", " (603) 434-3563 \t"}));
}

// Only a mark at the very start of a UTF-8 file goes; a second one is a U+FEFF of the text.
TEST(PhoneLines, Utf8LosesOnlyTheByteOrderMarkItStartsWith)
{
    const QString feff(QChar(0xFEFF));
    EXPECT_EQ(Split("\xef\xbb\xbf"
                    "Zo\xc3\xab\r\n\xe2\x98\x8e 555"),
              (QStringList{QStringLiteral(u"Zo\u00eb"), QStringLiteral(u"\u260e 555")}));
    EXPECT_EQ(Split("\xef\xbb\xbf\xef\xbb\xbf"
                    "1\r\n"),
              (QStringList{feff + QStringLiteral("1")}));
    EXPECT_EQ(Split("1\r\n\xef\xbb\xbf"
                    "2"),
              (QStringList{QStringLiteral("1"), feff + QStringLiteral("2")}));
    EXPECT_EQ(Split("\xef\xbb\xbf"), QStringList());
}

struct Utf16Case {
    const char* name;
    QByteArray bytes;
    QStringList lines;
};

// "Unicode text" from Windows programs: UTF-16 behind its mark, split like every other file; a
// bad unit costs one U+FFFD and no other line.
TEST(PhoneLines, Utf16WithItsMarkLoadsLineByLine)
{
    const QString numbers = QStringLiteral("6034343563\r\n7978118\r\n");
    const QString emoji = QString::fromUtf8("\xf0\x9f\x93\x9e 5");
    const Utf16Case cases[] = {
        {"little-endian, CR LF", Utf16(numbers, false), {"6034343563", "7978118"}},
        {"big-endian, CR LF", Utf16(numbers, true), {"6034343563", "7978118"}},
        {"LF", Utf16(QStringLiteral("1\n2\n"), false), {"1", "2", ""}},
        {"CR", Utf16(QStringLiteral("1\r2"), true), {"1", "2"}},
        {"odd final byte", Utf16(QStringLiteral("12\r\n"), false) + "3", {"12", "\ufffd"}},
        {"unpaired surrogates",
         Utf16(QStringLiteral("1") + QChar(0xD800) + QStringLiteral("2\r\n") + QChar(0xDC00)
                   + QStringLiteral("3\r\n") + emoji + QChar(0xD83D),
               false),
         {"1\ufffd2", "\ufffd3", emoji + "\ufffd"}},
        {"only the mark", "\xff\xfe", {}},
        {"FF FE later in a UTF-8 file", "1\r\n\xff\xfe", {"1", "\u00ff\u00fe"}},
    };
    for (const Utf16Case& c : cases)
        EXPECT_EQ(Split(c.bytes), c.lines) << c.name;
}

// One byte that is not UTF-8 anywhere in the file, however far after the first other byte,
// makes the whole file Windows-1252.
TEST(PhoneLines, AnythingElseIsWindows1252ByteForByte)
{
    EXPECT_EQ(Split("Zo\xeb \x80 \x81\x9d\xff"),
              QStringList{QStringLiteral(u"Zo\u00eb \u20ac \u0081\u009d\u00ff")});
    EXPECT_EQ(Split("\xc3\xab\r\n" + QByteArray(kLoadBlock + 16, '1') + "\r\n\xeb"),
              (QStringList{QStringLiteral(u"\u00c3\u00ab"), QString(kLoadBlock + 16, u'1'),
                           QStringLiteral(u"\u00eb")}));
    QByteArray every(256, '\0');
    for (int i = 0; i < 256; ++i)
        every[i] = static_cast<char>(i);
    every.replace('\r', '\0').replace('\n', '\0');
    const QStringList decoded = Split(every);
    ASSERT_EQ(decoded.size(), 1);
    ASSERT_EQ(decoded[0].size(), 256);
    EXPECT_EQ(decoded[0].count(QChar(0xFFFD)), 0);  // nothing replaced
    EXPECT_EQ(decoded[0][0x8A], QChar(0x0160));
    EXPECT_EQ(decoded[0][0xE9], QChar(0x00E9));
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

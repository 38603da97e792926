#include "files/line_reader.h"
#include "files/text_lines.h"
#include "lists/list_model.h"
#include "support/file_helpers.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <iterator>
#include <random>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace {

// The command line's sink: UTF-8 lines and the length each claims.
struct Utf8Lines final : LineSink {
    QStringList texts;
    void bytesLine(std::string_view bytes, qsizetype length) override
    {
        // A mark at the start of a line is part of it.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        texts << utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        EXPECT_EQ(length, texts.last().size()) << "the length of " << texts.last().toStdString();
    }
};

// The phone list's own road: the bytes as a file, read in blocks of the given size.
QStringList IntoList(const QByteArray& bytes, qsizetype block)
{
    ListModel list;
    AppendPhoneLines(bytes, list, block);
    QStringList out;
    for (qsizetype row = 0; row < list.count(); ++row)
        out << list.text(row);
    return out;
}

// The command line's road: the bytes through a pipe, given in pieces of odd sizes.
QStringList ThroughPipe(const QByteArray& bytes, qsizetype block, bool finalLfEndsLine)
{
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        for (qsizetype at = 0; at < bytes.size();) {
            const ssize_t wrote =
                ::write(ends[1], bytes.constData() + at,
                        static_cast<size_t>(std::min<qsizetype>(bytes.size() - at, 1 + at % 7000)));
            if (wrote <= 0)
                break;
            at += wrote;
        }
        ::close(ends[1]);
    });
    Utf8Lines lines;
    LineReader reader(
        [&](char* into, qsizetype size) {
            return static_cast<qsizetype>(::read(ends[0], into, static_cast<size_t>(size)));
        },
        lines, LineReader::Form::Utf8, block);
    reader.finalLfEndsLine = finalLfEndsLine;
    reader.run();
    writer.join();
    ::close(ends[0]);
    EXPECT_EQ(reader.lines(), lines.texts.size());
    return lines.texts;
}

// Every road in blocks of every small size must read alike: a line end, a UTF-8 sequence, a
// UTF-16 unit or pair cut by a block's end changes nothing. Returns what the list loads.
QStringList Read(const QByteArray& bytes)
{
    QStringList whole = IntoList(bytes, kLoadBlock);
    for (const qsizetype block : {1, 2, 3, 4, 5}) {
        EXPECT_EQ(IntoList(bytes, block), whole) << "list, blocks of " << block;
        EXPECT_EQ(ThroughPipe(bytes, block, false), whole) << "pipe, blocks of " << block;
    }
    EXPECT_EQ(ThroughPipe(bytes, kLoadBlock, false), whole) << "pipe";
    return whole;
}

struct LinesCase {
    const char* name;
    QByteArray bytes;
    QStringList lines;
};

const QString kFeff(QChar(0xFEFF));
const QString kEmoji = QString::fromUtf8("\xf0\x9f\x93\x9e 5");

const LinesCase kCases[] = {
    // Line ends: CR LF or a lone CR end a line, every LF is a further boundary, a final LF
    // leaves an empty line.
    {"CR LF", "a\r\nb\r\n", {"a", "b"}},
    {"CR LF, none at the end", "a\r\nb", {"a", "b"}},
    {"CR", "a\rb\r", {"a", "b"}},
    {"LF", "a\nb\n", {"a", "b", ""}},
    {"LF then CR LF", "a\n\r\nb", {"a", "", "b"}},
    {"CR CR", "a\r\rb", {"a", "", "b"}},
    {"only LF", "\n", {"", ""}},
    {"only CR LF", "\r\n", {""}},
    {"empty", "", {}},
    {"verbatim",
     "6034343563\r\n\r\n (603) 434-3563 \t\r\n",
     {"6034343563", "", " (603) 434-3563 \t"}},
    // UTF-8: only a mark at the very start goes.
    {"UTF-8 after its mark",
     "\xef\xbb\xbfZo\xc3\xab\r\n\xe2\x98\x8e 555",
     {QStringLiteral(u"Zo\u00eb"), QStringLiteral(u"\u260e 555")}},
    {"a second mark stays",
     "\xef\xbb\xbf\xef\xbb\xbf"
     "1\r\n",
     {kFeff + "1"}},
    {"a later mark stays",
     "1\r\n\xef\xbb\xbf"
     "2",
     {"1", kFeff + "2"}},
    {"only a mark", "\xef\xbb\xbf", {}},
    {"UTF-8 that starts late",
     QByteArray(40, '1') + "\n" + "\xe2\x98\x8e",
     {QString(40, u'1'), QStringLiteral(u"\u260e")}},
    // UTF-16 behind its mark; a bad unit costs one U+FFFD and no other line.
    {"UTF-16 little-endian",
     Utf16(QStringLiteral("6034343563\r\n7978118\r\n"), false),
     {"6034343563", "7978118"}},
    {"UTF-16 big-endian", Utf16(QStringLiteral("1\r2"), true), {"1", "2"}},
    {"UTF-16 LF", Utf16(QStringLiteral("1\n2\n"), false), {"1", "2", ""}},
    {"UTF-16 odd final byte", Utf16(QStringLiteral("12\r\n"), false) + "3", {"12", "\ufffd"}},
    {"UTF-16 unpaired surrogates and a pair",
     Utf16(QStringLiteral("1") + QChar(0xD800) + QStringLiteral("2\r\n") + QChar(0xDC00)
               + QStringLiteral("3\r\n") + kEmoji + QChar(0xD83D),
           false),
     {"1\ufffd2", "\ufffd3", kEmoji + "\ufffd"}},
    {"UTF-16 mark only", "\xff\xfe", {}},
    {"FF FE later is Windows-1252", "1\r\n\xff\xfe", {"1", "\u00ff\u00fe"}},
    // Each line is decoded on its own: one that is not UTF-8 is Windows-1252, and costs no
    // other line its UTF-8.
    {"Windows-1252",
     "Zo\xeb \x80 \x81\x9d\xff",
     {QStringLiteral(u"Zo\u00eb \u20ac \u0081\u009d\u00ff")}},
    {"a Windows-1252 line among UTF-8 lines",
     "\xc3\xab\r\n" + QByteArray(kLoadBlock + 16, '1') + "\r\n\xeb\n\xe2\x98\x8e",
     {QStringLiteral(u"\u00eb"), QString(kLoadBlock + 16, u'1'), QStringLiteral(u"\u00eb"),
      QStringLiteral(u"\u260e")}},
    {"a mark before a Windows-1252 line goes",
     "\xef\xbb\xbf"
     "caf\xe9\r\n\xc3\xa9",
     {QStringLiteral(u"caf\u00e9"), QStringLiteral(u"\u00e9")}},
    {"a UTF-8 sequence cut by a line end is Windows-1252 on both sides",
     "\xe2\x98\n\x8e",
     {QStringLiteral(u"\u00e2\u02dc"), QStringLiteral(u"\u017d")}},
};

class LineReaderLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(LineReaderLines, EveryRoadReadsTheSameLines)
{
    EXPECT_EQ(Read(GetParam().bytes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Table, LineReaderLines, ::testing::ValuesIn(kCases), [](const auto& each) {
    std::string name;
    for (const char c : std::string_view(each.param.name))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

TEST(LineReader, EveryByteOfWindows1252HasItsCharacter)
{
    QByteArray every(256, '\0');
    for (int i = 0; i < 256; ++i)
        every[i] = static_cast<char>(i);
    every.replace('\r', '\0').replace('\n', '\0');
    const QStringList decoded = Read(every);
    ASSERT_EQ(decoded.size(), 1);
    ASSERT_EQ(decoded[0].size(), 256);
    EXPECT_EQ(decoded[0].count(QChar(0xFFFD)), 0);  // nothing replaced
    EXPECT_EQ(decoded[0][0x8A], QChar(0x0160));
    EXPECT_EQ(decoded[0][0xE9], QChar(0x00E9));
}

// For line tools a final LF ends the last line; every other line end reads as before.
TEST(LineReader, AFinalLfEndsTheLastLineForLineTools)
{
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"1\n2\n", {"1", "2"}},
        {"1\n\n", {"1", ""}},
        {"\n", {""}},
        {"1\r\n2\r", {"1", "2"}},
        {Utf16(QStringLiteral("1\n"), true), {"1"}},
        {"caf\xe9\n", {QStringLiteral(u"caf\u00e9")}},
    };
    for (const auto& c : cases)
        for (const qsizetype block : {1, 3, 4096})
            EXPECT_EQ(ThroughPipe(c.bytes, block, true), c.lines)
                << c.bytes.toHex(' ').toStdString();
}

// Pieces that bring out every decision: line ends, byte-order marks, UTF-8 of each length,
// sequences that are not UTF-8, Windows-1252 bytes and UTF-16 surrogates, in random inputs
// that both roads must read alike in any block size.
using namespace std::string_view_literals;
constexpr std::array kPieces = {"\r"sv,
                                "\n"sv,
                                "\r\n"sv,
                                "\xEF\xBB\xBF"sv,
                                "\xFF\xFE"sv,
                                "\xFE\xFF"sv,
                                "\xC3\xA9"sv,
                                "\xC3"sv,
                                "\xE2\x98\x8E"sv,
                                "\xF0\x9F\x98\x80"sv,
                                "\xED\xA0\x80"sv,
                                "\x80"sv,
                                "\xEF\xBF\xBE"sv,
                                "\xF4\x90\x80\x80"sv,
                                "\xC0\x80"sv,
                                "\x3D\xD8"sv,
                                "\x00\xDC"sv,
                                "12345"sv,
                                "a"sv,
                                "\x00"sv};

TEST(LineReader, RandomInputsReadAlikeOnEveryRoad)
{
    std::mt19937 random(23);
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 24);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        for (int n = count(random); n > 0; --n) {
            const std::string_view chosen = kPieces[piece(random)];
            bytes.append(chosen.data(), static_cast<qsizetype>(chosen.size()));
        }
        Read(bytes);
    }
}

// A stream's lines are handed on as each is whole, whatever the bytes of the lines before or
// after it: a reader that waits for the rest of the input before its first non-ASCII line would
// keep a pipe's reader waiting for ever.
TEST(LineReader, AStreamHandsOnEachLineAsItComesWhateverItsEncoding)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    Utf8Lines lines;
    static const char* const kPieces[] = {"Zo\xC3\xAB\r\n", "caf\xE9\n", "\xE2\x98\x8E"};
    std::size_t next = 0;
    bool closed = false;
    LineReader reader(
        [&](char* into, qsizetype size) {
            // The next piece is written only once every line before it has been handed on;
            // a reader that waits for more instead meets the input's end.
            if (!closed && next < std::size(kPieces)
                && static_cast<std::size_t>(lines.texts.size()) == next) {
                const std::size_t bytes = std::strlen(kPieces[next]);
                EXPECT_EQ(::write(ends[1], kPieces[next++], bytes), static_cast<ssize_t>(bytes));
            } else if (!closed) {
                ::close(ends[1]);
                closed = true;
            }
            return static_cast<qsizetype>(::read(ends[0], into, static_cast<size_t>(size)));
        },
        lines, LineReader::Form::Utf8);
    reader.run();
    ::close(ends[0]);
    EXPECT_EQ(lines.texts, QStringList({QStringLiteral(u"Zo\u00eb"), QStringLiteral(u"caf\u00e9"),
                                        QStringLiteral(u"\u260e")}));
}

}  // namespace

#include "app/lists/list_model.h"
#include "batch/phone_line_reader.h"
#include "input/text_lines.h"

#include <QStringDecoder>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace {

struct Items final : PhoneLineSink {
    QStringList texts;
    std::vector<qsizetype> lengths;
    void phoneLine(std::string_view text, qsizetype length) override
    {
        // A mark at the start of an item is part of it.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        texts << utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
        lengths.push_back(length);
    }
};

// What loading the bytes into the phone list gives.
QStringList Loaded(const QByteArray& bytes)
{
    ListModel list;
    AppendPhoneLines(bytes, list);
    QStringList out;
    for (qsizetype row = 0; row < list.count(); ++row)
        out << list.text(row);
    return out;
}

Items ReadFromFile(const QByteArray& bytes, std::size_t block)
{
    QTemporaryFile file;
    EXPECT_TRUE(file.open());
    EXPECT_EQ(file.write(bytes), bytes.size());
    EXPECT_TRUE(file.flush());
    EXPECT_TRUE(file.seek(0));
    Items items;
    PhoneLineReader reader(file.handle(), items, block);
    EXPECT_EQ(reader.run(), 0);
    return items;
}

Items ReadFromPipe(const QByteArray& bytes, std::size_t block)
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
    Items items;
    PhoneLineReader reader(ends[0], items, block);
    EXPECT_EQ(reader.run(), 0);
    writer.join();
    ::close(ends[0]);
    return items;
}

void ExpectSameAsLoader(const QByteArray& bytes, const Items& items, const char* how)
{
    const QStringList expected = Loaded(bytes);
    ASSERT_EQ(items.texts, expected) << how << " " << bytes.toHex(' ').toStdString();
    for (qsizetype i = 0; i < expected.size(); ++i)
        ASSERT_EQ(items.lengths[static_cast<size_t>(i)], expected[i].size()) << how;
}

// Pieces that bring out every decision: line ends, byte-order marks, UTF-8 of each length,
// sequences that are not UTF-8 (overlong, surrogate, past U+10FFFF, cut short), noncharacters,
// Windows-1252 bytes and UTF-16 surrogates.
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
                                "\x9F"sv,
                                "\xEF\xBF\xBE"sv,
                                "\xF4\x8F\xBF\xBF"sv,
                                "\xF4\x90\x80\x80"sv,
                                "\xC0\x80"sv,
                                "\xE0\x80\x80"sv,
                                "\x3D\xD8"sv,
                                "\xD8\x3D"sv,
                                "\x00\xDC"sv,
                                "0"sv,
                                "7"sv,
                                "12345"sv,
                                "a"sv,
                                " "sv,
                                "\x00"sv};

QByteArray RandomInput(std::mt19937& random)
{
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 24);
    QByteArray bytes;
    for (int n = count(random); n > 0; --n) {
        const std::string_view chosen = kPieces[piece(random)];
        bytes.append(chosen.data(), static_cast<qsizetype>(chosen.size()));
    }
    return bytes;
}

struct Source {
    const char* name;
    Items (*read)(const QByteArray&, std::size_t);
};
constexpr std::array kSources = {Source{"file", ReadFromFile}, Source{"pipe", ReadFromPipe}};

TEST(PhoneLineReader, GivesTheLoadersItemsForRandomInputsInAnyBlockSize)
{
    std::mt19937 random(23);
    for (int round = 0; round < 800; ++round) {
        const QByteArray bytes = RandomInput(random);
        for (const Source& source : kSources)
            for (const std::size_t block : {1, 2, 5, 4096})
                ExpectSameAsLoader(bytes, source.read(bytes, block), source.name);
    }
}

TEST(PhoneLineReader, HoldsBackALongInputUntilItsEncodingIsKnown)
{
    // Megabytes of lines between the first byte above 127 and the byte that settles the
    // question, so a pipe's bytes are held in memory and then in a temporary file.
    QByteArray middle;
    for (int i = 0; i < 400'000; ++i)
        middle += QByteArray::number(6'000'000'000LL + i * 7919LL) + (i % 3 ? "\r\n" : "\n");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8 to the end", "start\r\nZo\xC3\xAB\r\n" + middle + "\xE2\x98\x8E end"},
        {"Windows-1252 at the very end", "Zo\xC3\xAB\r\n" + middle + "caf\xE9"},
        {"Windows-1252 after a mark", "\xEF\xBB\xBF" + middle + "\x80\r\n"},
        {"UTF-8 after two marks", "\xEF\xBB\xBF\xEF\xBB\xBF" + middle + "\xC3\xA9\n"},
    };
    for (const auto& each : cases)
        for (const Source& source : kSources)
            ExpectSameAsLoader(each.bytes, source.read(each.bytes, PhoneLineReader::kBlockBytes),
                               each.name);
}

}  // namespace

// Fuzzes the CSV column pass through the one reader, as --column runs it: any bytes at all
// (UTF-8, Windows-1252, a mix of both, UTF-16 of either byte order with or without odd bytes and
// lone surrogates, NULs), read in blocks of any size. With no rule that fits, the output is the
// input, byte for byte (up to a record whose quote never closes, which fails the input). With a
// rule for ten digits, the output is the input with only field 1 of each record changed, and only
// where it is ten ASCII digits; the records are found here by a reading of the CSV rules of its
// own.

#include "files/csv_column.h"
#include "files/line_reader.h"
#include "files/result_writer.h"
#include "require.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

class Collected final : public OutputTarget {
public:
    std::string bytes;
    void write(std::string_view more) override { bytes.append(more); }
    void finish() override {}
    bool keepsPartial() const override { return true; }
};

std::string Pass(const std::string& input, const std::vector<RuleText>& rules, qsizetype block,
                 bool& failed)
{
    const NumberFormat format(rules);
    TextCleaning cleaning(false, false, true);
    Collected out;
    CsvColumnPass pass(format, cleaning, out, ColumnChoice{1, {}}, ',');
    LineReader reader(
        [&](qint64 offset, char* into, qsizetype size) {
            const auto got = static_cast<qsizetype>(std::min<std::size_t>(
                input.size() - static_cast<std::size_t>(offset), static_cast<std::size_t>(size)));
            std::copy_n(input.data() + offset, got, into);
            return got;
        },
        pass, LineReader::Form::Raw, block);
    reader.finalLfEndsLine = true;
    reader.run();
    failed = !pass.endInput().isEmpty();
    pass.finish();
    return out.bytes;
}

// The input with field 1 of each record laid out as xxx-xxx-xxxx where it is ten ASCII
// digits; false when a quote never closes (the input then fails, and is not checked here).
bool Expected(const std::string& input, std::string& out)
{
    std::size_t at = input.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    out.assign(input, 0, at);
    while (at < input.size()) {
        // Field 1: from the record's start to the first delimiter or line end outside quotes.
        const std::size_t start = at;
        bool quoted = at < input.size() && input[at] == '"';
        bool open = quoted;
        std::size_t i = at + (quoted ? 1 : 0);
        std::size_t fieldEnd = std::string::npos;
        for (; i < input.size(); ++i) {
            const char c = input[i];
            if (open) {
                if (c == '"' && i + 1 < input.size() && input[i + 1] == '"')
                    ++i;
                else if (c == '"')
                    open = false;
                continue;
            }
            if (fieldEnd == std::string::npos && (c == ',' || c == '\r' || c == '\n'))
                fieldEnd = i;
            if (c == '\r' || c == '\n')
                break;
            // Past field 1, a quote at a field's start opens a quoted field.
            if (c == ',' && i + 1 < input.size() && input[i + 1] == '"') {
                open = true;
                ++i;
            }
        }
        if (open)
            return false;
        if (fieldEnd == std::string::npos)
            fieldEnd = i;
        std::string value;
        const std::string_view field(input.data() + start, fieldEnd - start);
        if (quoted) {
            for (std::size_t k = 1; k < field.size(); ++k) {
                if (field[k] != '"')
                    value += field[k];
                else if (k + 1 < field.size() && field[k + 1] == '"')
                    value += field[++k];
            }
        } else {
            value.assign(field);
        }
        if (value.size() == 10
            && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
            out += value.substr(0, 3) + '-' + value.substr(3, 3) + '-' + value.substr(6);
        else
            out += field;
        out.append(input, fieldEnd, i - fieldEnd);
        // The record's line end.
        if (i < input.size() && input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n')
            out += input.substr(i++, 2);
        else if (i < input.size())
            out += input[i];
        at = i + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte picks the block size; the rest is the input, its bytes as they came, or
    // mapped onto the bytes that matter to CSV when the first byte is odd.
    if (size == 0)
        return 0;
    const qsizetype block = 1 + data[0] % 8;
    std::string input;
    for (std::size_t i = 1; i < size; ++i) {
        static constexpr char kBytes[] = "\",\r\n0123456789a \xC3\xA9\xE9";
        input +=
            data[0] % 2 == 0 ? static_cast<char>(data[i]) : kBytes[data[i] % (sizeof kBytes - 1)];
    }
    // An input fails only for a quote that never closes; that record is left out, so what
    // was written is the input up to where it began.
    bool failed = false;
    const std::string out = Pass(input, {}, block, failed);
    Require(failed ? input.rfind(out, 0) == 0 && out.size() < input.size() : out == input);
    const bool utf16 = input.rfind("\xFF\xFE", 0) == 0 || input.rfind("\xFE\xFF", 0) == 0;
    if (std::string expected; !utf16 && Expected(input, expected)) {
        Require(Pass(input, {{QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx")}}, block, failed)
                == expected);
        Require(!failed);
    }
    return 0;
}

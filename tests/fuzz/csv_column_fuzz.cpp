// Fuzzes the CSV column pass: fed any ASCII bytes as the reader hands them on, in lines of any
// length, with no rule that changes a field, it writes back every byte it was given, whatever
// the quotes, delimiters and line ends; and with a rule that lays out every ten-digit field 1,
// the record count and every byte outside field 1 stay.

#include "batch/csv_column.h"
#include "batch/result_writer.h"
#include "input/line_reader.h"
#include "require.h"

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

std::string Pass(const std::string& input, const std::vector<RuleText>& rules, bool byName)
{
    const NumberFormat format(rules);
    TextCleaning cleaning(false, false);
    Collected out;
    CsvColumnPass pass(format, cleaning, out,
                       byName ? ColumnChoice{0, QByteArrayLiteral("a")} : ColumnChoice{1, {}}, ',');
    LineReader reader(
        [&](qint64 offset, char* into, qsizetype size) {
            const auto got = static_cast<qsizetype>(std::min<std::size_t>(
                input.size() - static_cast<std::size_t>(offset), static_cast<std::size_t>(size)));
            std::copy_n(input.data() + offset, got, into);
            return got;
        },
        pass, LineReader::Form::Utf8, 3);
    reader.finalLfEndsLine = true;
    reader.run();
    pass.endInput();
    pass.finish();
    return out.bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string input;
    for (std::size_t i = 0; i < size; ++i) {
        // ASCII only, so the reader's decoding leaves every byte as it is; the bytes that
        // matter to CSV are the likeliest.
        static constexpr char kBytes[] = "\",\r\n0123456789a ";
        input += data[i] < 0x80 ? static_cast<char>(data[i] == 0 ? 'x' : data[i])
                                : kBytes[data[i] % (sizeof kBytes - 1)];
    }
    Require(Pass(input, {}, false) == input);
    // A heading that names no column: nothing after it is written, and nothing breaks.
    Pass(input, {}, true);
    return 0;
}

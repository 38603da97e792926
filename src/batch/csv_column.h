#pragma once

#include "batch/number_format.h"
#include "batch/text_cleaning.h"
#include "input/line_reader.h"

#include <QByteArray>

#include <string>
#include <vector>

class OutputTarget;

// Which field --column formats: a number from 1, or the name in the heading record.
struct ColumnChoice {
    qsizetype number = 0;  // 0 when named
    QByteArray name;
};

// Formats one field of every record of a CSV input (RFC 4180: fields quoted or not, doubled
// quotes, delimiters and line breaks inside quotes, CR LF or LF) and writes every record back
// with every other byte as it was; the new field is quoted only where it needs to be (it holds
// the delimiter, a quote or a line break). A field the rules leave as it was keeps its own
// bytes, quotes included. A record too short to have the field passes unchanged; with a named
// column the first record of each input is its heading, written once, for the first input.
// A number already seen (--unique) leaves its whole record out.
class CsvColumnPass final : public LineSink {
public:
    CsvColumnPass(const NumberFormat& format, TextCleaning& cleaning, OutputTarget& target,
                  ColumnChoice column, char delimiter);

    void bytesLine(std::string_view line, qsizetype length) override;
    // The input has ended: a record whose quote never closed is written as it was. False when
    // the named column is not in the input's heading.
    bool endInput();
    // Everything has been written: hands it to the target.
    void finish();

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    // Finds where the fields of the record start, from byte at of its text on.
    void scan(std::string_view text, std::size_t at);
    // Writes the record, formatted; false when it is left out.
    bool endRecord(std::string_view record);
    void reset();
    void write(std::string_view bytes);

    const NumberFormat& format_;
    TextCleaning& cleaning_;
    OutputTarget& target_;
    ColumnChoice column_;
    char delimiter_;
    // The record being gathered (its lines and the line ends inside quotes), where each of its
    // fields starts, and how the scan stands at its end.
    std::string record_;
    std::vector<std::size_t> fieldStarts_;
    State state_ = State::FieldStart;
    // This input's records so far, the field it formats (-1: not known yet, or missing).
    qint64 records_ = 0;
    qsizetype index_ = -1;
    bool missing_ = false;
    bool firstInput_ = true;
    // How the last record written ended: an input without a final line end is followed by one
    // before the next input's records.
    std::string lastEnd_ = "\r\n";
    bool openEnded_ = false;
    std::string quoting_;  // what a field must be quoted for
    std::string value_;
    std::string laid_;
    std::string out_;
    std::size_t nextCheck_ = std::size_t(64) << 20;
};

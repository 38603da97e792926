#pragma once

#include "core/number_format.h"
#include "files/line_reader.h"
#include "files/text_cleaning.h"

#include <QByteArray>

#include <array>
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
// with every other byte as it was, in the input's own encoding: it takes the reader's lines
// raw (LineReader::Form::Raw). A byte-order mark stays; a record of an eight-bit input is read
// as UTF-8 when it is valid UTF-8 and as Windows-1252 otherwise, and its new field is written
// the same way; a UTF-16 input comes back UTF-16. The new field is quoted only where it needs
// to be (it holds the delimiter, a quote or a line break). A field the rules leave as it was
// keeps its own bytes, quotes included. A record too short to have the field passes
// unchanged; with a named column the first record of each input is its heading, written once,
// for the first input. A number already seen (--unique) leaves its whole record out. The
// inputs are written in the first one's encoding; one in another (UTF-16 among eight-bit
// inputs) fails.
class CsvColumnPass final : public LineSink {
public:
    // eachRecord: every record is handed on as soon as it is whole (a terminal shows a trickle
    // as it comes); otherwise records are gathered into large writes.
    CsvColumnPass(const NumberFormat& format, TextCleaning& cleaning, OutputTarget& target,
                  ColumnChoice column, char delimiter, bool eachRecord = false);

    void bytesLine(std::string_view line, qsizetype length) override;
    void inputMark(Mark mark) override;
    void strayByte(char byte) override;
    // The input has ended. Returns what made it fail, or nothing: the named column is not in
    // its heading, its heading differs from the first input's, or a quote never closed (the
    // rest of the input is then written as it was, unformatted). An input that was not read
    // whole (whole is false: it failed, and was told) leaves out the record it was in.
    QByteArray endInput(bool whole = true);
    // A note on the input that has ended that does not fail it (no record has the field).
    QByteArray takeWarning();
    // Everything has been written: hands it to the target.
    void finish();

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    // How the results are written: as the bytes they are, or as UTF-16.
    enum class Family { Unknown, Bytes, Utf16Le, Utf16Be };
    // Finds where the fields of the record start, from byte at of its text on.
    void scan(std::string_view text, std::size_t at);
    // Writes the record, formatted; false when it is left out.
    bool endRecord(std::string_view record);
    // Whether the record being ended is Windows-1252 rather than UTF-8 (decided once).
    bool recordIsWindows1252();
    // The field's bytes as UTF-8: as they are, or decoded from Windows-1252 into scratch.
    std::string_view decoded(std::string_view bytes, std::string& scratch);
    // The new field's UTF-8 text, quoted where it needs to be, in the record's encoding, into
    // field_; false when that encoding cannot hold it.
    bool encodeField(std::string_view text);
    void reset();
    // Every byte written goes through here, in the output's encoding.
    void write(std::string_view bytes)
    {
        if (family_ == Family::Utf16Le || family_ == Family::Utf16Be)
            writeUtf16(bytes);
        else
            out_.append(bytes);
    }
    void writeUtf16(std::string_view bytes);
    void flushWhole();
    void takeLine(std::string_view line);

    const NumberFormat& format_;
    TextCleaning& cleaning_;
    OutputTarget& target_;
    ColumnChoice column_;
    char delimiter_;
    bool eachRecord_;
    Family family_ = Family::Unknown;
    // Whether the record being written is Windows-1252 (decided once it is whole; -1 not yet).
    int windows1252_ = -1;
    // A record of many lines (a long notes field) is read whole, however long; the room it may
    // still take is looked at each time it has grown by this much.
    static constexpr std::size_t kRoomStep = std::size_t(16) << 20;
    std::size_t nextRoomCheck_ = kRoomStep;
    std::string_view recordView_;  // the record being ended
    int stray_ = -1;               // the odd byte that ended a UTF-16 input
    // The first input's byte-order mark, written with the first record it gives (so an input
    // that fails at its heading leaves no lone mark behind).
    std::string_view pendingMark_;
    void writeMark()
    {
        if (!pendingMark_.empty()) {
            out_.append(pendingMark_);
            pendingMark_ = {};
        }
    }
    qint64 quoteLine_ = 0;  // the line where the quote still open was opened
    // The record being gathered (its lines and the line ends inside quotes), where each of its
    // fields starts, and how the scan stands at its end.
    std::string record_;
    std::vector<std::size_t> fieldStarts_;
    State state_ = State::FieldStart;
    QByteArray unclosedQuote() const;

    // This input's lines and records so far, the line its open record began at, the field it
    // formats (-1: not known yet, or missing), and whether any record had it.
    qint64 lines_ = 0;
    qint64 records_ = 0;
    qint64 recordLine_ = 0;
    qsizetype index_ = -1;
    bool missing_ = false;
    bool fieldSeen_ = false;
    QByteArray problem_;
    QByteArray warning_;
    // The headings: this input's, the first input's, and whether one was written.
    std::vector<std::string> headings_;
    std::vector<std::string> firstHeading_;
    bool headingWritten_ = false;
    // How the last record written ended: an input without a final line end is followed by one
    // before the next input's records.
    LineEnd lastEnd_ = LineEnd::CrLf;
    bool openEnded_ = false;
    std::array<bool, 256> quoting_{};  // the bytes a new field must be quoted for
    std::string value_;
    std::string decoded_;
    std::string field_;
    std::string laid_;
    std::string out_;
};

#include "files/csv_column.h"

#include "files/encodings.h"
#include "files/file_system.h"
#include "files/line_out_of_memory.h"
#include "files/load_room.h"
#include "files/result_writer.h"
#include "files/utf8_check.h"
#include "lists/memory_room.h"
#include "lists/text_checks.h"

#include <algorithm>
#include <bit>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <new>
#include <utility>

namespace {

constexpr std::size_t kFlushBytes = std::size_t(1) << 18;

std::string_view EndBytes(LineSink::LineEnd end)
{
    switch (end) {
    case LineSink::LineEnd::Lf: return "\n";
    case LineSink::LineEnd::Cr: return "\r";
    case LineSink::LineEnd::CrLf: return "\r\n";
    case LineSink::LineEnd::None: break;
    }
    return {};
}

// A field's value: without its quotes, doubled quotes made single (then in scratch).
std::string_view Unquote(std::string_view field, std::string& scratch)
{
    if (field.empty() || field.front() != '"')
        return field;
    scratch.clear();
    field.remove_prefix(1);
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '"') {
            scratch += field[i];
            continue;
        }
        if (i + 1 < field.size() && field[i + 1] == '"')
            scratch += field[++i];
        // A closing quote; anything after it stays part of the value, as it stood.
    }
    return scratch;
}

// The first byte c from at on, or the end; fields are short, so the search is inline rather
// than a call.
std::size_t FindByte(std::string_view text, std::size_t at, char c)
{
#ifdef __SSE2__
    const __m128i wanted = _mm_set1_epi8(c);
    for (; text.size() - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        if (const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)); found != 0)
            return at + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(found)));
    }
#endif
    for (; at < text.size(); ++at)
        if (text[at] == c)
            return at;
    return std::string_view::npos;
}

}  // namespace

CsvColumnPass::CsvColumnPass(const NumberFormat& format, TextCleaning& cleaning,
                             OutputTarget& target, ColumnChoice column, char delimiter,
                             bool eachRecord)
    : format_(format), cleaning_(cleaning), target_(target), column_(std::move(column)),
      delimiter_(delimiter), eachRecord_(eachRecord), index_(column_.number - 1)
{
    // A name given in Windows-1252 (an old terminal's) meets a heading of either encoding, as
    // a line of the input is decoded.
    if (!IsUtf8(column_.name.toStdString())) {
        std::string name;
        AppendWindows1252AsUtf8(name, column_.name.toStdString());
        column_.name = QByteArray::fromStdString(name);
    }
    for (const char c : {delimiter_, '"', '\r', '\n'})
        quoting_[static_cast<unsigned char>(c)] = true;
}

void CsvColumnPass::bytesLine(std::string_view line, qsizetype)
{
    // A record that runs out of memory (its own bytes, the numbers seen) is left out whole:
    // the results before it end on a whole record, and the input stops there.
    const std::size_t written = out_.size();
    const bool openEnded = openEnded_;
    try {
        takeLine(line);
    } catch (const std::bad_alloc&) {
        out_.resize(written);
        openEnded_ = openEnded;
        reset();
        throw LineOutOfMemory{recordLine_};
    }
}

void CsvColumnPass::inputMark(Mark mark)
{
    const Family family = mark == Mark::Utf16Le   ? Family::Utf16Le
                          : mark == Mark::Utf16Be ? Family::Utf16Be
                                                  : Family::Bytes;
    if (family_ == Family::Unknown) {
        // The first input's mark starts the output, as it started the input.
        family_ = family;
        switch (mark) {
        case Mark::Utf8: pendingMark_ = "\xEF\xBB\xBF"; break;
        case Mark::Utf16Le: pendingMark_ = "\xFF\xFE"; break;
        case Mark::Utf16Be: pendingMark_ = "\xFE\xFF"; break;
        case Mark::None: break;
        }
        return;
    }
    if (family != family_) {
        const auto named = [](Family each) -> QByteArray {
            switch (each) {
            case Family::Utf16Le: return "UTF-16 little-endian";
            case Family::Utf16Be: return "UTF-16 big-endian";
            case Family::Bytes:
            case Family::Unknown: break;
            }
            return "UTF-8 or Windows-1252";
        };
        problem_ = "it is " + named(family) + " where the first input is " + named(family_)
                   + ", so its records cannot be written beside that input's";
        missing_ = true;
    }
}

void CsvColumnPass::strayByte(char byte)
{
    // The odd byte that ends a UTF-16 input goes back where it stood, after a record left open
    // by a quote that never closed.
    if (!missing_ && (family_ == Family::Utf16Le || family_ == Family::Utf16Be))
        stray_ = static_cast<unsigned char>(byte);
}

void CsvColumnPass::takeLine(std::string_view line)
{
    ++lines_;
    if (missing_)
        return;
    const std::string_view end = EndBytes(lineEnd());
    std::string_view record = line;
    if (record_.empty()) {
        recordLine_ = lines_;
        // A record of one line, as nearly all are, is read where it lies.
        fieldStarts_.assign(1, 0);
        state_ = State::FieldStart;
        scan(line, 0);
    } else {
        const std::size_t from = record_.size();
        if (from + line.size() >= nextRoomCheck_) {
            nextRoomCheck_ = from + line.size() + kRoomStep;
            // Held once here and about twice more as it is written.
            if (!StillFits(static_cast<qint64>(nextRoomCheck_) * 3, MemoryRoomNow()))
                throw std::bad_alloc();
        }
        record_.append(line);
        scan(record_, from);
        record = record_;
    }
    if (state_ == State::Quoted) {
        // A line break inside quotes belongs to the field: the record goes on. At the input's
        // end (no line end) it is left open, for endInput to find the quote that never closed.
        if (record_.empty())
            record_.assign(line);
        record_.append(end);
        return;
    }
    if (!endRecord(record))
        return;  // the record's line end goes with it
    write(end);
    openEnded_ = end.empty();
    if (!end.empty())
        lastEnd_ = lineEnd();
    flushWhole();
}

void CsvColumnPass::scan(std::string_view text, std::size_t at)
{
    // From one delimiter or quote to the next: the bytes between need no look.
    while (at < text.size()) {
        switch (state_) {
        case State::FieldStart:
            if (text[at] == '"') {
                state_ = State::Quoted;
                quoteLine_ = lines_;
                ++at;
                continue;
            }
            state_ = State::Unquoted;
            [[fallthrough]];
        case State::Unquoted: {
            // Past the field that is formatted, the rest matters only if a quote in it could
            // carry the record on to the next line.
            if (index_ >= 0 && fieldStarts_.size() > static_cast<std::size_t>(index_) + 1
                && FindByte(text, at, '"') == std::string_view::npos)
                return;
            // A quote inside an unquoted field is a character like any other.
            const std::size_t next = FindByte(text, at, delimiter_);
            if (next == std::string_view::npos)
                return;
            fieldStarts_.push_back(next + 1);
            state_ = State::FieldStart;
            at = next + 1;
            continue;
        }
        case State::Quoted: {
            const std::size_t quote = FindByte(text, at, '"');
            if (quote == std::string_view::npos)
                return;
            state_ = State::QuoteInQuoted;
            at = quote + 1;
            continue;
        }
        case State::QuoteInQuoted:
            // A doubled quote, or the field's end (a delimiter, or text after the closing
            // quote, kept as it stands).
            if (text[at] == '"') {
                state_ = State::Quoted;
                ++at;
            } else {
                state_ = State::Unquoted;
            }
            continue;
        }
    }
}

bool CsvColumnPass::endRecord(std::string_view record)
{
    const auto field = [&](std::size_t k) {
        const std::size_t start = fieldStarts_[k];
        const std::size_t end =
            k + 1 < fieldStarts_.size() ? fieldStarts_[k + 1] - 1 : record.size();
        return record.substr(start, end - start);
    };
    recordView_ = record;
    const bool heading = records_++ == 0 && column_.number == 0;
    bool keep = true;
    std::string_view result;
    std::string_view raw;
    if (heading) {
        headings_.clear();
        for (std::size_t k = 0; k < fieldStarts_.size(); ++k) {
            headings_.emplace_back(decoded(Unquote(field(k), value_), decoded_));
            if (index_ < 0 && headings_.back() == column_.name.toStdString())
                index_ = static_cast<qsizetype>(k);
        }
        missing_ = index_ < 0;
        // Only the first heading is written; a later one must match it, or its records
        // would stand under the wrong names.
        if (!missing_ && !firstHeading_.empty() && headings_ != firstHeading_)
            problem_ = "its heading differs from the first input's, so its fields would not "
                       "line up under it";
        if (!missing_ && firstHeading_.empty())
            firstHeading_ = headings_;
        keep = !missing_ && problem_.isEmpty() && !headingWritten_;
        headingWritten_ = headingWritten_ || keep;
        missing_ = missing_ || !problem_.isEmpty();
    } else if (index_ >= 0 && static_cast<std::size_t>(index_) < fieldStarts_.size()) {
        fieldSeen_ = true;
        raw = field(static_cast<std::size_t>(index_));
        std::string_view value = Unquote(raw, value_);
        if (!IsAscii(value.data(), static_cast<qsizetype>(value.size())))
            value = decoded(value, decoded_);
        std::string_view text = value;
        auto length = static_cast<qsizetype>(text.size());
        if (!IsAscii(text.data(), length))
            length = static_cast<qsizetype>(Utf16Length(text));
        keep = !cleaning_.active() || cleaning_.take(text, length);
        result = format_.apply(text, length, laid_, value);
        if (result == value)
            result = {};  // as it was: its own bytes stay
    }
    if (!keep) {
        reset();
        return false;
    }
    // The new field as it is written: a result of ASCII that needs no quotes, as nearly every
    // one is, as it stands; any other quoted and in its record's encoding, before anything of
    // the record is written.
    std::string_view newField = result;
    if (result.data() != nullptr
        && (!IsAscii(result.data(), static_cast<qsizetype>(result.size()))
            || std::any_of(result.begin(), result.end(),
                           [this](char c) { return quoting_[static_cast<unsigned char>(c)]; }))) {
        if (!encodeField(result)) {
            problem_ = "line " + QByteArray::number(recordLine_) + ": its new field "
                       + QByteArray(result.data(), static_cast<qsizetype>(result.size()))
                       + " holds a character that Windows-1252, the encoding of that record, "
                         "cannot hold";
            missing_ = true;
            reset();
            return false;
        }
        newField = field_;
    }
    writeMark();
    if (openEnded_)
        write(EndBytes(lastEnd_));
    openEnded_ = false;
    if (result.data() == nullptr) {
        write(record);
    } else {
        const std::size_t start = fieldStarts_[static_cast<std::size_t>(index_)];
        write(record.substr(0, start));
        write(newField);
        write(record.substr(start + raw.size()));
    }
    reset();
    return true;
}

bool CsvColumnPass::recordIsWindows1252()
{
    // A record's encoding is settled once, by the whole record: a record of a valid UTF-8 line
    // is UTF-8, any other Windows-1252, as the reader reads a line. UTF-16 arrives as UTF-8.
    if (windows1252_ < 0)
        windows1252_ =
            (family_ == Family::Bytes || family_ == Family::Unknown) && !IsUtf8(recordView_) ? 1
                                                                                             : 0;
    return windows1252_ == 1;
}

std::string_view CsvColumnPass::decoded(std::string_view bytes, std::string& scratch)
{
    if (IsAscii(bytes.data(), static_cast<qsizetype>(bytes.size())) || !recordIsWindows1252())
        return bytes;
    scratch.clear();
    AppendWindows1252AsUtf8(scratch, bytes);
    return scratch;
}

bool CsvColumnPass::encodeField(std::string_view text)
{
    std::string& quoted = value_;
    quoted.clear();
    if (std::any_of(text.begin(), text.end(),
                    [this](char c) { return quoting_[static_cast<unsigned char>(c)]; })) {
        quoted += '"';
        for (const char c : text) {
            quoted += c;
            if (c == '"')
                quoted += '"';
        }
        quoted += '"';
    } else {
        quoted.assign(text);
    }
    field_.clear();
    if (!IsAscii(quoted.data(), static_cast<qsizetype>(quoted.size())) && recordIsWindows1252())
        return AppendUtf8AsWindows1252(field_, quoted);
    field_.swap(quoted);
    return true;
}

void CsvColumnPass::reset()
{
    windows1252_ = -1;
    nextRoomCheck_ = kRoomStep;
    record_.clear();
    fieldStarts_.clear();
    state_ = State::FieldStart;
}

QByteArray CsvColumnPass::unclosedQuote() const
{
    return "line " + QByteArray::number(quoteLine_) + ": a quote opened here is never closed";
}

QByteArray CsvColumnPass::endInput(bool whole)
{
    // An input that could not be read to its end leaves out the record it was in: that record
    // is not all there.
    if (!whole)
        reset();
    QByteArray problem = problem_;
    if (problem.isEmpty() && missing_) {
        QByteArray found;
        for (const std::string& name : headings_)
            found += (found.isEmpty() ? "" : ", ")
                     + ShownName(QByteArray::fromStdString(name), ForeignBytes::Escaped);
        problem = "no column is named " + ShownName(column_.name, ForeignBytes::Escaped)
                  + " (the heading has: " + found + ")";
    } else if (problem.isEmpty() && !record_.empty()) {
        // A record whose quote never closes is no whole record: it is left out, and said.
        problem = unclosedQuote();
    } else if (problem.isEmpty() && !fieldSeen_ && records_ > (column_.number == 0 ? 1 : 0)) {
        warning_ = "no record has field " + QByteArray::number(column_.number)
                   + "; is the delimiter right?";
    }
    // An input that holds its mark and nothing else, or an odd byte after it, still comes back.
    if (whole && problem.isEmpty())
        writeMark();
    if (stray_ >= 0 && whole && problem.isEmpty())
        out_ += static_cast<char>(stray_);
    stray_ = -1;
    records_ = 0;
    lines_ = 0;
    index_ = column_.number > 0 ? column_.number - 1 : -1;
    missing_ = false;
    fieldSeen_ = false;
    problem_.clear();
    reset();
    return problem;
}

QByteArray CsvColumnPass::takeWarning()
{
    return std::exchange(warning_, {});
}

void CsvColumnPass::writeUtf16(std::string_view bytes)
{
    AppendUtf8AsUtf16(out_, bytes, family_ == Family::Utf16Be);
}

void CsvColumnPass::flushWhole()
{
    // Only whole records go out, so that one left out leaves nothing of itself behind.
    if (out_.size() >= kFlushBytes || (eachRecord_ && !out_.empty())) {
        target_.write(out_);
        out_.clear();
    }
}

void CsvColumnPass::finish()
{
    if (!out_.empty())
        target_.write(out_);
    out_.clear();
    target_.finish();
}

#include "batch/csv_column.h"

#include "app/lists/memory_room.h"
#include "batch/result_writer.h"
#include "input/load_room.h"
#include "input/utf8_check.h"

#include <new>

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

// A field's value: without its quotes, doubled quotes made single.
void Unquote(std::string_view field, std::string& value)
{
    value.clear();
    if (field.empty() || field.front() != '"') {
        value.assign(field);
        return;
    }
    field.remove_prefix(1);
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '"') {
            value += field[i];
            continue;
        }
        if (i + 1 < field.size() && field[i + 1] == '"')
            value += field[++i];
        // A closing quote; anything after it stays part of the value, as it stood.
    }
}

}  // namespace

CsvColumnPass::CsvColumnPass(const NumberFormat& format, TextCleaning& cleaning,
                             OutputTarget& target, ColumnChoice column, char delimiter)
    : format_(format), cleaning_(cleaning), target_(target), column_(std::move(column)),
      delimiter_(delimiter), index_(column_.number - 1)
{
    quoting_ = {delimiter_, '"', '\r', '\n'};
}

void CsvColumnPass::bytesLine(std::string_view line, qsizetype)
{
    if (missing_)
        return;
    const std::string_view end = EndBytes(lineEnd());
    std::string_view record = line;
    if (record_.empty()) {
        // A record of one line, as nearly all are, is read where it lies.
        fieldStarts_.assign(1, 0);
        state_ = State::FieldStart;
        scan(line, 0);
    } else {
        const std::size_t from = record_.size();
        record_.append(line);
        if (record_.size() >= nextCheck_) {
            nextCheck_ = record_.size() * 2;
            // A quote that never closes gathers the rest of the input into one record.
            if (!StillFits(static_cast<qint64>(nextCheck_), MemoryRoomNow()))
                throw std::bad_alloc();
        }
        scan(record_, from);
        record = record_;
    }
    if (state_ == State::Quoted && lineEnd() != LineEnd::None) {
        // A line break inside quotes belongs to the field: the record goes on.
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
        lastEnd_.assign(end);
}

void CsvColumnPass::scan(std::string_view text, std::size_t at)
{
    // From one delimiter or quote to the next: the bytes between need no look.
    while (at < text.size()) {
        switch (state_) {
        case State::FieldStart:
            if (text[at] == '"') {
                state_ = State::Quoted;
                ++at;
                continue;
            }
            state_ = State::Unquoted;
            [[fallthrough]];
        case State::Unquoted: {
            // Past the field that is formatted, the rest matters only if a quote in it could
            // carry the record on to the next line.
            if (index_ >= 0 && fieldStarts_.size() > static_cast<std::size_t>(index_) + 1
                && text.find('"', at) == std::string_view::npos)
                return;
            // A quote inside an unquoted field is a character like any other.
            const std::size_t next = text.find(delimiter_, at);
            if (next == std::string_view::npos)
                return;
            fieldStarts_.push_back(next + 1);
            state_ = State::FieldStart;
            at = next + 1;
            continue;
        }
        case State::Quoted: {
            const std::size_t quote = text.find('"', at);
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
    const bool heading = records_++ == 0 && column_.number == 0;
    bool keep = true;
    std::string_view result;
    std::string_view raw;
    if (heading) {
        for (std::size_t k = 0; k < fieldStarts_.size() && index_ < 0; ++k) {
            Unquote(field(k), value_);
            if (value_
                == std::string_view(column_.name.constData(),
                                    static_cast<std::size_t>(column_.name.size())))
                index_ = static_cast<qsizetype>(k);
        }
        missing_ = index_ < 0;
        keep = !missing_ && firstInput_;
    } else if (index_ >= 0 && static_cast<std::size_t>(index_) < fieldStarts_.size()) {
        raw = field(static_cast<std::size_t>(index_));
        Unquote(raw, value_);
        std::string_view text = value_;
        auto length = static_cast<qsizetype>(Utf16Length(text));
        keep = !cleaning_.active() || cleaning_.take(text, length);
        result = format_.apply(text, length, laid_);
        if (result == std::string_view(value_))
            result = {};  // as it was: its own bytes stay
    }
    if (!keep) {
        reset();
        return false;
    }
    if (openEnded_)
        write(lastEnd_);
    openEnded_ = false;
    if (result.data() == nullptr) {
        write(record);
    } else {
        const std::size_t start = fieldStarts_[static_cast<std::size_t>(index_)];
        write(record.substr(0, start));
        if (result.find_first_of(std::string_view(quoting_)) != std::string_view::npos) {
            write("\"");
            for (std::size_t at = 0;;) {
                const std::size_t quote = result.find('"', at);
                write(result.substr(at, quote == std::string_view::npos ? quote : quote + 1 - at));
                if (quote == std::string_view::npos)
                    break;
                write("\"");
                at = quote + 1;
            }
            write("\"");
        } else {
            write(result);
        }
        write(record.substr(start + raw.size()));
    }
    reset();
    return true;
}

void CsvColumnPass::reset()
{
    record_.clear();
    fieldStarts_.clear();
    state_ = State::FieldStart;
}

bool CsvColumnPass::endInput()
{
    // The record's last line end is in it already.
    if (!missing_ && !record_.empty() && endRecord(record_))
        openEnded_ = false;
    const bool found = !missing_;
    records_ = 0;
    index_ = column_.number > 0 ? column_.number - 1 : -1;
    missing_ = false;
    firstInput_ = false;
    state_ = State::FieldStart;
    return found;
}

void CsvColumnPass::write(std::string_view bytes)
{
    out_.append(bytes);
    if (out_.size() >= kFlushBytes) {
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

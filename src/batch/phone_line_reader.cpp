#include "batch/phone_line_reader.h"

#include "input/memory_room.h"
#include "input/text_lines.h"
#include "input/utf8_check.h"

#include <QChar>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ReadFailure {
    int error;
};

// The mark that may open an input: one UTF-8 mark at the very start is dropped (a second is
// content, as the loader keeps it); this many bytes are gathered before the first are looked at.
constexpr std::size_t kHeadBytes = 6;
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
// A line's bytes are held while it is gathered, then copied for its decoding and its result;
// the room is looked at again each time the line has grown by this much.
constexpr std::size_t kCopiesOfALine = 6;
constexpr std::size_t kGuardStep = std::size_t(16) << 20;

std::size_t AsciiPrefix(const char* data, std::size_t size)
{
    std::size_t i = 0;
    for (; size - i >= 8; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, data + i, 8);
        if ((word & 0x8080808080808080ULL) != 0)
            break;
    }
    while (i < size && static_cast<unsigned char>(data[i]) < 0x80)
        ++i;
    return i;
}

// The first CR or LF from at on, or end.
const char* FindLineEnd(const char* at, const char* end)
{
    // Eight bytes at a time: a byte equal to CR or LF becomes zero after the exclusive or, and
    // the lowest byte flagged by the zero-byte test is always a true one.
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    for (; end - at >= 8; at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, at, 8);
        const std::uint64_t cr = word ^ (kOnes * '\r');
        const std::uint64_t lf = word ^ (kOnes * '\n');
        const std::uint64_t found = (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs;
        if (found != 0)
            return at + (std::countr_zero(found) >> 3);
    }
    while (at < end && *at != '\r' && *at != '\n')
        ++at;
    return at;
}

const char16_t* FindLineEnd(const char16_t* at, const char16_t* end)
{
    while (at < end && *at != u'\r' && *at != u'\n')
        ++at;
    return at;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Calls read until it is not interrupted by a signal; after each interruption, onBlock may
// stop the reading (an ending signal that the caller turns into its own exit).
template <typename Read>
ssize_t Uninterrupted(const Read& read, const std::function<bool(qint64)>& onBlock, qint64 done)
{
    for (;;) {
        const ssize_t got = read();
        if (got >= 0)
            return got;
        if (errno != EINTR)
            throw ReadFailure{errno};
        if (onBlock && !onBlock(done))
            throw ReadFailure{EINTR};
    }
}

}  // namespace

// Splits text that arrives in pieces into phone items: a line ends at CR LF or at a lone CR,
// every LF is a further boundary; at the end, what follows the last line end is an item if it
// is not empty, and an empty item follows a final lone LF.
template <class Char> struct PhoneLineReader::Splitter {
    using View = std::basic_string_view<Char>;

    std::basic_string<Char> carry;  // the start of a line that goes on in the next piece
    bool skipLf = false;            // the last piece ended in CR: a first LF belongs to it
    bool loneLf = false;            // the last line end was an LF on its own

    template <class Emit> void split(const Char* data, std::size_t size, Emit&& emit)
    {
        const Char* at = data;
        const Char* const end = data + size;
        if (skipLf && at < end) {
            if (*at == Char('\n'))
                ++at;
            skipLf = false;
        }
        const Char* start = at;
        while (at < end) {
            const Char* stop = FindLineEnd(at, end);
            if (stop == end)
                break;
            if (carry.empty()) {
                emit(View(start, std::size_t(stop - start)));
            } else {
                carry.append(start, stop);
                emit(View(carry));
                carry.clear();
            }
            loneLf = *stop == Char('\n');
            if (!loneLf) {
                if (stop + 1 == end)
                    skipLf = true;
                else if (stop[1] == Char('\n'))
                    ++stop;
            }
            at = start = stop + 1;
        }
        carry.append(start, end);
    }

    template <class Emit> void finish(bool lastLfEnds, Emit&& emit)
    {
        if (!carry.empty())
            emit(View(carry));
        else if (loneLf && !lastLfEnds)
            emit(View());
        carry.clear();
        loneLf = skipLf = false;
    }
};

PhoneLineReader::PhoneLineReader(int fd, PhoneLineSink& sink, std::size_t blockBytes)
    : fd_(fd), sink_(sink), blockBytes_(std::max<std::size_t>(blockBytes, 1)),
      block_(new char[std::max(blockBytes_, kHeadBytes)]),
      bytes_(std::make_unique<Splitter<char>>()), units_(std::make_unique<Splitter<char16_t>>())
{
}

PhoneLineReader::~PhoneLineReader() = default;

int PhoneLineReader::run()
{
    try {
        struct stat info {};
        seekable_ = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
        if (seekable_) {
            nextOffset_ = ::lseek(fd_, 0, SEEK_CUR);
            seekable_ = nextOffset_ >= 0;
        }
        std::size_t head = 0;
        while (head < kHeadBytes) {
            const std::size_t got =
                readSome(block_.get() + head, std::max(blockBytes_, kHeadBytes) - head);
            if (got == 0)
                break;
            head += got;
        }
        if (head >= 2 && std::memcmp(block_.get(), "\xFF\xFE", 2) == 0)
            encoding_ = Encoding::Utf16Le;
        else if (head >= 2 && std::memcmp(block_.get(), "\xFE\xFF", 2) == 0)
            encoding_ = Encoding::Utf16Be;
        take(block_.get(), head, true);
        while (const std::size_t got = readSome(block_.get(), blockBytes_))
            take(block_.get(), got, false);
        finish();
        return 0;
    } catch (const ReadFailure& failure) {
        if (failure.error == ENOMEM)
            failedLine_ = lines_ + 1;
        return failure.error;
    } catch (const SpoolFailure& failure) {
        spoolFailed_ = true;
        return failure.error;
    } catch (const std::bad_alloc&) {
        failedLine_ = lines_ + 1;
        return ENOMEM;
    }
}

void PhoneLineReader::guardLine(std::size_t heldBytes)
{
    if (heldBytes < nextGuard_ + kGuardStep)
        return;
    nextGuard_ = heldBytes;
    if (!StillFits(static_cast<qint64>(heldBytes * kCopiesOfALine), MemoryRoomNow()))
        throw ReadFailure{ENOMEM};
}

std::size_t PhoneLineReader::readSome(char* buffer, std::size_t size)
{
    if (atEnd_)
        return 0;
    const ssize_t got = Uninterrupted([&] { return ::read(fd_, buffer, size); }, onBlock, read_);
    if (got == 0) {
        atEnd_ = true;
        return 0;
    }
    read_ += got;
    nextOffset_ += got;
    if (onBlock && !onBlock(read_))
        throw ReadFailure{EINTR};
    return static_cast<std::size_t>(got);
}

void PhoneLineReader::take(const char* data, std::size_t size, bool inputStart)
{
    if (encoding_ != Encoding::Unsettled) {
        takeSettled(data, size, inputStart);
        return;
    }
    const std::size_t ascii = AsciiPrefix(data, size);
    bytes_->split(data, ascii, [this](std::string_view line) { byteLine(line); });
    if (ascii == size) {
        guardLine(bytes_->carry.size());
        return;
    }
    settle(data + ascii, size - ascii);
    takeSettled(data + ascii, size - ascii, inputStart && ascii == 0);
    // What a pipe gave while the question was open.
    while (const std::size_t got = spool_.takeBack(ahead_.get(), blockBytes_))
        takeSettled(ahead_.get(), got, false);
}

void PhoneLineReader::settle(const char* data, std::size_t size)
{
    if (!ahead_)
        ahead_.reset(new char[blockBytes_]);
    Utf8Check check;
    bool valid = check.feed({data, size});
    if (seekable_) {
        for (off_t at = nextOffset_; valid;) {
            const ssize_t got = Uninterrupted(
                [&] { return ::pread(fd_, ahead_.get(), blockBytes_, at); }, onBlock, read_);
            if (got == 0)
                break;
            at += got;
            valid = check.feed({ahead_.get(), static_cast<std::size_t>(got)});
        }
    } else {
        while (valid) {
            const std::size_t got = readSome(ahead_.get(), blockBytes_);
            if (got == 0)
                break;
            spool_.append({ahead_.get(), got});
            valid = check.feed({ahead_.get(), got});
        }
    }
    encoding_ = valid && check.complete() ? Encoding::Utf8 : Encoding::Windows1252;
}

void PhoneLineReader::takeSettled(const char* data, std::size_t size, bool inputStart)
{
    switch (encoding_) {
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
        if (inputStart) {
            data += 2;
            size -= 2;
        }
        takeUtf16(data, size);
        return;
    case Encoding::Utf8:
        if (inputStart && size >= 3 && std::memcmp(data, kUtf8Mark, 3) == 0) {
            data += 3;
            size -= 3;
        }
        break;
    case Encoding::Unsettled:
    case Encoding::Windows1252: break;
    }
    bytes_->split(data, size, [this](std::string_view line) { byteLine(line); });
    guardLine(bytes_->carry.size());
}

void PhoneLineReader::byteLine(std::string_view line)
{
    ++lines_;
    const auto length = static_cast<qsizetype>(line.size());
    switch (encoding_) {
    case Encoding::Utf8: sink_.phoneLine(line, static_cast<qsizetype>(Utf16Length(line))); return;
    case Encoding::Windows1252:
        if (AsciiPrefix(line.data(), line.size()) != line.size()) {
            converted_.clear();
            for (const char byte : line)
                AppendUtf8(converted_, Windows1252Character(static_cast<unsigned char>(byte)));
            sink_.phoneLine(converted_, length);
            return;
        }
        break;
    case Encoding::Unsettled:
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: break;
    }
    sink_.phoneLine(line, length);
}

void PhoneLineReader::takeUtf16(const char* data, std::size_t size)
{
    const bool big = encoding_ == Encoding::Utf16Be;
    const auto unit = [big](char first, char second) {
        const auto a = static_cast<unsigned char>(first);
        const auto b = static_cast<unsigned char>(second);
        return static_cast<char16_t>(big ? (a << 8) | b : (b << 8) | a);
    };
    decoded_.clear();
    std::size_t i = 0;
    if (oddByte_ >= 0 && size > 0) {
        pushUnit(unit(static_cast<char>(oddByte_), data[0]));
        oddByte_ = -1;
        i = 1;
    }
    for (; i + 1 < size; i += 2)
        pushUnit(unit(data[i], data[i + 1]));
    if (i < size)
        oddByte_ = static_cast<unsigned char>(data[i]);
    units_->split(decoded_.data(), decoded_.size(),
                  [this](std::u16string_view line) { unitLine(line); });
    guardLine(units_->carry.size() * sizeof(char16_t));
}

void PhoneLineReader::pushUnit(char16_t unit)
{
    // A surrogate without its partner becomes U+FFFD, as the loader decodes it.
    if (highSurrogate_ != 0) {
        if (QChar::isLowSurrogate(unit)) {
            decoded_ += highSurrogate_;
            decoded_ += unit;
            highSurrogate_ = 0;
            return;
        }
        decoded_ += char16_t(QChar::ReplacementCharacter);
        highSurrogate_ = 0;
    }
    if (QChar::isHighSurrogate(unit))
        highSurrogate_ = unit;
    else
        decoded_ += QChar::isLowSurrogate(unit) ? char16_t(QChar::ReplacementCharacter) : unit;
}

void PhoneLineReader::unitLine(std::u16string_view line)
{
    ++lines_;
    converted_.clear();
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        if (QChar::isHighSurrogate(c) && i + 1 < line.size())
            AppendUtf8(converted_, QChar::surrogateToUcs4(c, line[++i]));
        else
            AppendUtf8(converted_, c);
    }
    sink_.phoneLine(converted_, static_cast<qsizetype>(line.size()));
}

void PhoneLineReader::finish()
{
    if (encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be) {
        decoded_.clear();
        if (highSurrogate_ != 0)
            decoded_ += char16_t(QChar::ReplacementCharacter);
        if (oddByte_ >= 0)
            decoded_ += char16_t(QChar::ReplacementCharacter);
        highSurrogate_ = 0;
        oddByte_ = -1;
        units_->split(decoded_.data(), decoded_.size(),
                      [this](std::u16string_view line) { unitLine(line); });
        units_->finish(finalLfEndsLine, [this](std::u16string_view line) { unitLine(line); });
        return;
    }
    bytes_->finish(finalLfEndsLine, [this](std::string_view line) { byteLine(line); });
}

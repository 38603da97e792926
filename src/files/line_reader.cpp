#include "files/line_reader.h"

#include "files/encodings.h"
#include "files/utf8_check.h"

#include <QChar>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace std::string_view_literals;

namespace {

// The byte-order marks are looked at once this many bytes are in (or the input has ended).
constexpr qsizetype kHeadBytes = 3;
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

qsizetype AsciiPrefix(const char* data, qsizetype size)
{
    qsizetype i = 0;
#ifdef __SSE2__
    for (; size - i >= 16; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        if (_mm_movemask_epi8(bytes) != 0)
            break;
    }
#endif
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

// The first CR or LF from at on, or end. Called for every line, so laid where it is called.
[[gnu::always_inline]] inline const char* FindLineEnd(const char* at, const char* end)
{
#ifdef __SSE2__
    // Sixteen bytes at a time: a phone number and its line end are nearly always in the first.
    const __m128i crs = _mm_set1_epi8('\r');
    const __m128i lfs = _mm_set1_epi8('\n');
    for (; end - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const int found =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, crs), _mm_cmpeq_epi8(bytes, lfs)));
        if (found != 0)
            return at + std::countr_zero(static_cast<unsigned>(found));
    }
#endif
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

}  // namespace

void LineSink::unitsLine(std::u16string_view units)
{
    std::string utf8;
    utf8.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        if (QChar::isHighSurrogate(c) && i + 1 < units.size()
            && QChar::isLowSurrogate(units[i + 1]))
            AppendUtf8(utf8, QChar::surrogateToUcs4(c, units[++i]));
        else
            AppendUtf8(utf8, c);
    }
    bytesLine(utf8, static_cast<qsizetype>(units.size()));
}

// Splits text that arrives in pieces into lines, each with how it ended; what follows the last
// line end waits in carry for the next piece, so each piece is searched once however long a line
// is. A CR that ends a piece waits too: the next piece tells CR LF from a lone CR.
template <class Char> struct LineReader::Splitter {
    using View = std::basic_string_view<Char>;
    using End = LineSink::LineEnd;

    std::basic_string<Char> carry;
    bool pendingCr = false;  // carry is a line that ended in a CR at the end of the last piece
    bool loneLf = false;     // the last line end was an LF on its own

    template <class Emit> void split(const Char* data, qsizetype size, Emit&& hand)
    {
        const Char* at = data;
        const Char* const end = data + size;
        if (pendingCr && at < end) {
            const bool lf = *at == Char('\n');
            at += lf ? 1 : 0;
            hand(View(carry), lf ? End::CrLf : End::Cr);
            carry.clear();
            pendingCr = loneLf = false;
        }
        const Char* start = at;
        while (at < end) {
            const Char* stop = FindLineEnd(at, end);
            if (stop == end)
                break;
            if (*stop == Char('\r') && stop + 1 == end) {
                carry.append(start, stop);
                pendingCr = true;
                return;
            }
            const End how = *stop == Char('\n')     ? End::Lf
                            : stop[1] == Char('\n') ? End::CrLf
                                                    : End::Cr;
            if (carry.empty()) {
                hand(View(start, std::size_t(stop - start)), how);
            } else {
                carry.append(start, stop);
                hand(View(carry), how);
                carry.clear();
            }
            loneLf = how == End::Lf;
            at = start = stop + (how == End::CrLf ? 2 : 1);
        }
        carry.append(start, end);
    }

    template <class Emit> void finish(bool lastLfEnds, Emit&& hand)
    {
        if (pendingCr)
            hand(View(carry), End::Cr);
        else if (!carry.empty())
            hand(View(carry), End::None);
        else if (loneLf && !lastLfEnds)
            hand(View(), End::None);
        carry.clear();
        pendingCr = loneLf = false;
    }
};

// Turns the bytes of a line or a block into UTF-16 units; what a UTF-16 block's end cuts (an
// odd byte, the first half of a surrogate pair) waits for the next block.
struct LineReader::Decoding {
    // Never drops a U+FEFF: the reader alone decides about the byte-order mark.
    QStringDecoder utf8{QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom};
    // Units without a partner are kept as they are, for a sink that writes them back.
    bool raw = false;
    int oddByte = -1;
    char16_t highSurrogate = 0;
    std::u16string units;

    // A line already known to be UTF-8.
    void fromUtf8(std::string_view line)
    {
        units.resize(static_cast<std::size_t>(utf8.requiredSpace(qsizetype(line.size()))));
        auto* const begin = reinterpret_cast<QChar*>(units.data());
        const QChar* end =
            utf8.appendToBuffer(begin, QByteArrayView(line.data(), qsizetype(line.size())));
        units.resize(static_cast<std::size_t>(end - begin));
    }

    void fromWindows1252(std::string_view line)
    {
        units.resize(line.size());
        for (std::size_t i = 0; i < line.size(); ++i)
            units[i] = Windows1252Character(static_cast<unsigned char>(line[i]));
    }

    void fromUtf16(const char* data, qsizetype size, bool big)
    {
        const auto unit = [big](char first, char second) {
            const auto a = static_cast<unsigned char>(first);
            const auto b = static_cast<unsigned char>(second);
            return static_cast<char16_t>(big ? (a << 8) | b : (b << 8) | a);
        };
        units.clear();
        qsizetype i = 0;
        if (oddByte >= 0 && size > 0) {
            push(unit(static_cast<char>(oddByte), data[0]));
            oddByte = -1;
            i = 1;
        }
        for (; i + 1 < size; i += 2)
            push(unit(data[i], data[i + 1]));
        if (i < size)
            oddByte = static_cast<unsigned char>(data[i]);
    }

    // At the end of the input: what waits for a partner that never came.
    void endUtf16()
    {
        units.clear();
        if (highSurrogate != 0)
            units += raw ? highSurrogate : char16_t(QChar::ReplacementCharacter);
        if (oddByte >= 0 && !raw)
            units += char16_t(QChar::ReplacementCharacter);
        highSurrogate = 0;
    }

    // A surrogate without its partner becomes U+FFFD, unless the units are taken raw.
    void push(char16_t unit)
    {
        if (raw) {
            units += unit;
            return;
        }
        if (highSurrogate != 0) {
            if (QChar::isLowSurrogate(unit)) {
                units += highSurrogate;
                units += unit;
                highSurrogate = 0;
                return;
            }
            units += char16_t(QChar::ReplacementCharacter);
            highSurrogate = 0;
        }
        if (QChar::isHighSurrogate(unit))
            highSurrogate = unit;
        else
            units += QChar::isLowSurrogate(unit) ? char16_t(QChar::ReplacementCharacter) : unit;
    }
};

LineReader::LineReader(ReadAt file, LineSink& sink, Form form, qsizetype block)
    : readAt_(std::move(file)), sink_(sink), form_(form), block_(std::max<qsizetype>(block, 1)),
      buffer_(new char[static_cast<std::size_t>(std::max(block_, kHeadBytes))]),
      bytes_(std::make_unique<Splitter<char>>()), units_(std::make_unique<Splitter<char16_t>>()),
      decoding_(std::make_unique<Decoding>())
{
    decoding_->raw = form_ == Form::Raw;
}

LineReader::LineReader(ReadOn stream, LineSink& sink, Form form, qsizetype block)
    : LineReader(ReadAt(), sink, form, block)
{
    readOn_ = std::move(stream);
}

LineReader::~LineReader() = default;

void LineReader::run()
{
    // Only as many bytes as could still be a mark are waited for: a stream's first short line
    // is not held back for bytes that have not come.
    qsizetype head = 0;
    const auto couldBeMark = [&] {
        const std::string_view seen(buffer_.get(), static_cast<std::size_t>(head));
        constexpr std::array kMarks = {"\xFF\xFE"sv, "\xFE\xFF"sv, std::string_view(kUtf8Mark)};
        return std::ranges::any_of(kMarks, [&](std::string_view mark) {
            return seen.size() < mark.size() && mark.starts_with(seen);
        });
    };
    while (head < kHeadBytes && couldBeMark()) {
        const qsizetype got = readSome(buffer_.get() + head, std::max(block_, kHeadBytes) - head);
        if (got == 0)
            break;
        head += got;
    }
    qsizetype skip = 0;
    if (head >= 2 && std::memcmp(buffer_.get(), "\xFF\xFE", 2) == 0)
        mark_ = LineSink::Mark::Utf16Le;
    else if (head >= 2 && std::memcmp(buffer_.get(), "\xFE\xFF", 2) == 0)
        mark_ = LineSink::Mark::Utf16Be;
    else if (head >= 3 && std::memcmp(buffer_.get(), kUtf8Mark, 3) == 0)
        mark_ = LineSink::Mark::Utf8;
    utf16_ = mark_ == LineSink::Mark::Utf16Le || mark_ == LineSink::Mark::Utf16Be;
    skip = mark_ == LineSink::Mark::None ? 0 : mark_ == LineSink::Mark::Utf8 ? 3 : 2;
    // An input of no bytes at all has no encoding to tell.
    if (head > 0)
        sink_.inputMark(mark_);
    take(buffer_.get() + skip, head - skip);
    while (const qsizetype got = readSome(buffer_.get(), block_))
        take(buffer_.get(), got);
    finish();
}

qsizetype LineReader::readSome(char* into, qsizetype size)
{
    if (atEnd_)
        return 0;
    const qsizetype got = readAt_ ? readAt_(offset_, into, size) : readOn_(into, size);
    offset_ += got;
    atEnd_ = got == 0;
    return got;
}

void LineReader::take(const char* data, qsizetype size)
{
    if (utf16_) {
        decoding_->fromUtf16(data, size, mark_ == LineSink::Mark::Utf16Be);
        units_->split(
            decoding_->units.data(), static_cast<qsizetype>(decoding_->units.size()),
            [this](std::u16string_view line, LineSink::LineEnd how) { unitLine(line, how); });
        tellOpenLine();
        return;
    }
    asciiFrom_ = data;
    asciiTo_ = data + AsciiPrefix(data, size);
    bytes_->split(data, size,
                  [this](std::string_view line, LineSink::LineEnd how) { byteLine(line, how); });
    asciiFrom_ = asciiTo_ = nullptr;
    tellOpenLine();
}

void LineReader::byteLine(std::string_view line, LineSink::LineEnd how)
{
    ++lines_;
    sink_.lineEnd_ = how;
    const auto size = static_cast<qsizetype>(line.size());
    // A line within the block's ASCII start, as nearly every line is, needs no look.
    const bool ascii = (line.data() >= asciiFrom_ && line.data() + size <= asciiTo_)
                       || form_ == Form::Raw || AsciiPrefix(line.data(), size) == size;
    if (ascii) {
        sink_.bytesLine(line, size);
        return;
    }
    const bool utf8 = IsUtf8(line);
    if (form_ == Form::Utf16) {
        if (utf8)
            decoding_->fromUtf8(line);
        else
            decoding_->fromWindows1252(line);
        sink_.unitsLine(decoding_->units);
        return;
    }
    if (utf8) {
        sink_.bytesLine(line, static_cast<qsizetype>(Utf16Length(line)));
        return;
    }
    converted_.clear();
    AppendWindows1252AsUtf8(converted_, line);
    sink_.bytesLine(converted_, size);
}

void LineReader::unitLine(std::u16string_view line, LineSink::LineEnd how)
{
    ++lines_;
    sink_.lineEnd_ = how;
    sink_.unitsLine(line);
}

void LineReader::tellOpenLine()
{
    if (onOpenLine)
        onOpenLine(static_cast<qsizetype>(utf16_ ? units_->carry.size() : bytes_->carry.size()));
}

void LineReader::finish()
{
    if (utf16_) {
        const auto units = [this](std::u16string_view line, LineSink::LineEnd how) {
            unitLine(line, how);
        };
        decoding_->endUtf16();
        units_->split(decoding_->units.data(), static_cast<qsizetype>(decoding_->units.size()),
                      units);
        units_->finish(finalLfEndsLine, units);
        if (decoding_->raw && decoding_->oddByte >= 0)
            sink_.strayByte(static_cast<char>(decoding_->oddByte));
        decoding_->oddByte = -1;
        return;
    }
    bytes_->finish(finalLfEndsLine,
                   [this](std::string_view line, LineSink::LineEnd how) { byteLine(line, how); });
}

#include "input/line_reader.h"

#include "input/utf8_check.h"

#include <QChar>
#include <QStringDecoder>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Windows-1252 at 0x80 to 0x9F; its five unassigned bytes keep their C1 control codes.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte-order marks are looked at once this many bytes are in (or the input has ended).
constexpr qsizetype kHeadBytes = 6;
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

}  // namespace

void LineSink::unitsLine(std::u16string_view units)
{
    std::string utf8;
    utf8.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        if (QChar::isHighSurrogate(c) && i + 1 < units.size())
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

// Turns the bytes of a block into UTF-16 units; what a block's end cuts (a UTF-8 sequence, an
// odd byte, the first half of a surrogate pair) waits for the next block.
struct LineReader::Decoding {
    // Never drops a U+FEFF: the reader alone decides about the byte-order mark.
    QStringDecoder utf8{QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom};
    int oddByte = -1;
    char16_t highSurrogate = 0;
    std::u16string units;

    void fromUtf8(const char* data, qsizetype size)
    {
        units.resize(static_cast<std::size_t>(utf8.requiredSpace(size)));
        auto* const begin = reinterpret_cast<QChar*>(units.data());
        const QChar* end = utf8.appendToBuffer(begin, QByteArrayView(data, size));
        units.resize(static_cast<std::size_t>(end - begin));
    }

    void fromWindows1252(const char* data, qsizetype size)
    {
        units.resize(static_cast<std::size_t>(size));
        for (qsizetype i = 0; i < size; ++i)
            units[static_cast<std::size_t>(i)] =
                Windows1252Character(static_cast<unsigned char>(data[i]));
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
            units += char16_t(QChar::ReplacementCharacter);
        if (oddByte >= 0)
            units += char16_t(QChar::ReplacementCharacter);
        highSurrogate = 0;
        oddByte = -1;
    }

    // A surrogate without its partner becomes U+FFFD.
    void push(char16_t unit)
    {
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
}

LineReader::LineReader(ReadOn stream, LineSink& sink, Form form, qsizetype block)
    : LineReader(ReadAt(), sink, form, block)
{
    readOn_ = std::move(stream);
}

LineReader::~LineReader() = default;

void LineReader::run()
{
    qsizetype head = 0;
    while (head < kHeadBytes) {
        const qsizetype got = readSome(buffer_.get() + head, std::max(block_, kHeadBytes) - head);
        if (got == 0)
            break;
        head += got;
    }
    if (head >= 2 && std::memcmp(buffer_.get(), "\xFF\xFE", 2) == 0)
        encoding_ = Encoding::Utf16Le;
    else if (head >= 2 && std::memcmp(buffer_.get(), "\xFE\xFF", 2) == 0)
        encoding_ = Encoding::Utf16Be;
    take(buffer_.get(), head, true);
    while (const qsizetype got = readSome(buffer_.get(), block_))
        take(buffer_.get(), got, false);
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

void LineReader::take(const char* data, qsizetype size, bool inputStart)
{
    if (encoding_ != Encoding::Unsettled) {
        takeSettled(data, size, inputStart);
        return;
    }
    const qsizetype ascii = AsciiPrefix(data, size);
    bytes_->split(data, ascii,
                  [this](std::string_view line, LineSink::LineEnd how) { byteLine(line, how); });
    if (ascii == size) {
        tellOpenLine();
        return;
    }
    settle(data + ascii, size - ascii);
    takeSettled(data + ascii, size - ascii, inputStart && ascii == 0);
    // What a stream gave while the question was open.
    while (const auto got = static_cast<qsizetype>(
               spool_.takeBack(ahead_.get(), static_cast<std::size_t>(block_))))
        takeSettled(ahead_.get(), got, false);
}

void LineReader::settle(const char* data, qsizetype size)
{
    if (!ahead_)
        ahead_.reset(new char[static_cast<std::size_t>(block_)]);
    Utf8Check check;
    bool valid = check.feed({data, static_cast<std::size_t>(size)});
    if (readAt_) {
        for (qint64 at = offset_; valid;) {
            const qsizetype got = readAt_(at, ahead_.get(), block_);
            if (got == 0)
                break;
            at += got;
            valid = check.feed({ahead_.get(), static_cast<std::size_t>(got)});
        }
    } else {
        while (valid) {
            const qsizetype got = readSome(ahead_.get(), block_);
            if (got == 0)
                break;
            spool_.append({ahead_.get(), static_cast<std::size_t>(got)});
            valid = check.feed({ahead_.get(), static_cast<std::size_t>(got)});
        }
    }
    encoding_ = valid && check.complete() ? Encoding::Utf8 : Encoding::Windows1252;
    if (form_ == Form::Utf16) {
        // The line begun in ASCII goes on as units.
        units_->carry.assign(bytes_->carry.begin(), bytes_->carry.end());
        units_->pendingCr = bytes_->pendingCr;
        units_->loneLf = bytes_->loneLf;
        bytes_->carry.clear();
    }
}

void LineReader::takeSettled(const char* data, qsizetype size, bool inputStart)
{
    const auto units = [this](std::u16string_view line, LineSink::LineEnd how) {
        unitLine(line, how);
    };
    switch (encoding_) {
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
        if (inputStart) {
            data += 2;
            size -= 2;
        }
        decoding_->fromUtf16(data, size, encoding_ == Encoding::Utf16Be);
        units_->split(decoding_->units.data(), static_cast<qsizetype>(decoding_->units.size()),
                      units);
        tellOpenLine();
        return;
    case Encoding::Utf8:
        if (inputStart && size >= 3 && std::memcmp(data, kUtf8Mark, 3) == 0) {
            data += 3;
            size -= 3;
        }
        if (form_ == Form::Utf16)
            decoding_->fromUtf8(data, size);
        break;
    case Encoding::Windows1252:
        if (form_ == Form::Utf16)
            decoding_->fromWindows1252(data, size);
        break;
    case Encoding::Unsettled: break;
    }
    if (form_ == Form::Utf16)
        units_->split(decoding_->units.data(), static_cast<qsizetype>(decoding_->units.size()),
                      units);
    else
        bytes_->split(data, size, [this](std::string_view line, LineSink::LineEnd how) {
            byteLine(line, how);
        });
    tellOpenLine();
}

void LineReader::byteLine(std::string_view line, LineSink::LineEnd how)
{
    ++lines_;
    sink_.lineEnd_ = how;
    const auto size = static_cast<qsizetype>(line.size());
    switch (encoding_) {
    case Encoding::Utf8: sink_.bytesLine(line, static_cast<qsizetype>(Utf16Length(line))); return;
    case Encoding::Windows1252:
        if (AsciiPrefix(line.data(), size) != size) {
            converted_.clear();
            for (const char byte : line)
                AppendUtf8(converted_, Windows1252Character(static_cast<unsigned char>(byte)));
            sink_.bytesLine(converted_, size);
            return;
        }
        break;
    case Encoding::Unsettled:
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: break;
    }
    sink_.bytesLine(line, size);
}

void LineReader::unitLine(std::u16string_view line, LineSink::LineEnd how)
{
    ++lines_;
    sink_.lineEnd_ = how;
    sink_.unitsLine(line);
}

void LineReader::tellOpenLine()
{
    if (!onOpenLine)
        return;
    const bool inUnits = encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be
                         || (encoding_ != Encoding::Unsettled && form_ == Form::Utf16);
    onOpenLine(static_cast<qsizetype>(inUnits ? units_->carry.size() : bytes_->carry.size()));
}

void LineReader::finish()
{
    const auto units = [this](std::u16string_view line, LineSink::LineEnd how) {
        unitLine(line, how);
    };
    if (encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be) {
        decoding_->endUtf16();
        units_->split(decoding_->units.data(), static_cast<qsizetype>(decoding_->units.size()),
                      units);
    }
    const bool inUnits = encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be
                         || (encoding_ != Encoding::Unsettled && form_ == Form::Utf16);
    if (inUnits)
        units_->finish(finalLfEndsLine, units);
    else
        bytes_->finish(finalLfEndsLine, [this](std::string_view line, LineSink::LineEnd how) {
            byteLine(line, how);
        });
}

char16_t Windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

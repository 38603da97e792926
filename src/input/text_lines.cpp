#include "input/text_lines.h"

#include "input/utf8_check.h"

#include "app/lists/list_model.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace {

// Windows-1252 at 0x80 to 0x9F; its five unassigned bytes keep their C1 control codes.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

enum class Encoding { Ascii, Utf8, Windows1252, Utf16Le, Utf16Be };

bool IsAscii(const char* at, qsizetype size)
{
    // Eight bytes at a time: any high bit among them is a byte above 127.
    const char* const end = at + size;
    quint64 bits = 0;
    for (; end - at >= 8; at += 8) {
        quint64 word = 0;
        std::memcpy(&word, at, 8);
        bits |= word;
    }
    for (; at < end; ++at)
        bits |= static_cast<unsigned char>(*at);
    return (bits & 0x8080808080808080ULL) == 0;
}

// Calls line() with each item of a text that ends at a line break (or at the end of the
// file). loneLf carries, from one piece of the file to the next, whether the last break was an
// LF on its own: a file that ends with one has an empty last item. No break stands before
// unbroken, so the search starts there: a line of fifty megabytes read block by block is not
// searched again at its end.
template <class View, class Line>
void EmitLines(View text, bool fileEnd, bool& loneLf, Line&& line, qsizetype unbroken = 0)
{
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = unbroken; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        line(text.sliced(start, i - start));
        loneLf = c == u'\n';
        if (c == u'\r' && i + 1 < size && text[i + 1].unicode() == u'\n')
            ++i;
        start = i + 1;
    }
    if (fileEnd && (start < size || loneLf))
        line(text.sliced(start, size - start));
}

// Reads a file a block at a time and appends its lines. Only whole lines are decoded and
// appended; the start of a line that goes on in the next block waits for it.
class LineLoader {
public:
    LineLoader(const ReadAt& read, ListModel& items, qsizetype block)
        : read_(read), items_(items), block_(std::max<qsizetype>(block, 1))
    {
    }

    void run()
    {
        // The first two bytes tell UTF-16 by its byte-order mark.
        bool more = true;
        while (more && pending_.size() < 2)
            more = fill();
        const char* start = pending_.data();
        if (pending_.size() >= 2 && std::memcmp(start, "\xff\xfe", 2) == 0)
            encoding_ = Encoding::Utf16Le;
        else if (pending_.size() >= 2 && std::memcmp(start, "\xfe\xff", 2) == 0)
            encoding_ = Encoding::Utf16Be;
        if (encoding_ != Encoding::Ascii)
            pending_.erase(0, 2);
        for (;;) {
            const qsizetype cut = more ? wholeLines() : pending_.size();
            if (cut > 0 || !more)
                appendLines(cut, !more);
            pending_.erase(0, cut);
            asciiChecked_ = std::max<qsizetype>(asciiChecked_ - cut, 0);
            const qsizetype unit = unitSize();
            scanned_ = std::max<qsizetype>(pending_.size() / unit - 1, 0) * unit;
            if (!more)
                return;
            more = fill();
        }
    }

private:
    qsizetype unitSize() const
    {
        return encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be ? 2 : 1;
    }

    char16_t unitAt(qsizetype i) const
    {
        const auto* at = reinterpret_cast<const unsigned char*>(pending_.data());
        if (encoding_ == Encoding::Utf16Le)
            return static_cast<char16_t>(at[2 * i] | (at[2 * i + 1] << 8));
        if (encoding_ == Encoding::Utf16Be)
            return static_cast<char16_t>((at[2 * i] << 8) | at[2 * i + 1]);
        return at[i];
    }

    // Reads the next block after what is pending; false at the end of the file.
    bool fill()
    {
        const qsizetype had = pending_.size();
        char* into = pending_.grow(block_);
        const qsizetype got = read_(offset_, into, block_);
        pending_.erase(had + got, block_ - got);
        offset_ += got;
        // Checked as it comes, so that a line of fifty megabytes is not checked all at once.
        if (encoding_ == Encoding::Ascii && asciiChecked_ == had && IsAscii(into, got))
            asciiChecked_ += got;
        return got > 0;
    }

    // How many pending bytes end at a line break. A CR in the last unit is left waiting: it may
    // be the first half of a CR LF. Only what the last call did not look at is searched, so a
    // line of a gigabyte is not searched again for every block.
    qsizetype wholeLines() const
    {
        const qsizetype unit = unitSize();
        const qsizetype units = pending_.size() / unit;
        for (qsizetype i = units - 1; i >= scanned_ / unit; --i) {
            const char16_t c = unitAt(i);
            if (c == u'\n' || (c == u'\r' && i + 1 < units))
                return (i + 1) * unit;
        }
        return 0;
    }

    // Appends the lines among the first size pending bytes, which end at a line break or at the
    // end of the file.
    void appendLines(qsizetype size, bool fileEnd)
    {
        const char* data = pending_.data();
        if (encoding_ == Encoding::Ascii && size > asciiChecked_
            && !IsAscii(data + asciiChecked_, size - asciiChecked_)) {
            encoding_ = chooseEightBitEncoding();
            // The one byte-order mark a UTF-8 file may start with is not part of its text.
            if (encoding_ == Encoding::Utf8 && !emitted_ && size >= 3
                && std::memcmp(data, "\xef\xbb\xbf", 3) == 0) {
                data += 3;
                size -= 3;
            }
        }
        emitted_ = true;
        if (encoding_ == Encoding::Ascii) {
            // The bytes before scanned_ were searched for breaks as they came, and hold none.
            EmitLines(
                QLatin1StringView(data, size), fileEnd, loneLf_,
                [this](QLatin1StringView line) { items_.appendDeferred(line); },
                std::min(scanned_, size));
            return;
        }
        EmitLines(decode(data, size, fileEnd), fileEnd, loneLf_,
                  [this](QStringView line) { items_.appendDeferred(line); });
    }

    // Up to here every byte was ASCII, which reads the same either way. The first other byte
    // decides for the whole file: UTF-8 only when all the rest of it is valid UTF-8.
    Encoding chooseEightBitEncoding()
    {
        Utf8Check check;
        bool valid = check.feed({pending_.data(), static_cast<size_t>(pending_.size())});
        RawArray<char> scratch;
        for (qint64 at = offset_; valid;) {
            char* into = scratch.size() == 0 ? scratch.grow(block_) : scratch.data();
            const qsizetype got = read_(at, into, block_);
            if (got == 0)
                break;
            valid = check.feed({into, static_cast<size_t>(got)});
            at += got;
        }
        return valid && check.complete() ? Encoding::Utf8 : Encoding::Windows1252;
    }

    QStringView decode(const char* data, qsizetype size, bool fileEnd)
    {
        if (encoding_ == Encoding::Utf8) {
            decoded_.resize(size);
            const QChar* end = utf8_.appendToBuffer(decoded_.data(), QByteArrayView(data, size));
            return {decoded_.constData(), end - decoded_.constData()};
        }
        if (encoding_ == Encoding::Windows1252) {
            decoded_.resize(size);
            QChar* out = decoded_.data();
            for (qsizetype i = 0; i < size; ++i) {
                const auto code = static_cast<unsigned char>(data[i]);
                out[i] = (code >= 0x80 && code <= 0x9F) ? QChar(kWindows1252High[code - 0x80])
                                                        : QChar(code);
            }
            return {decoded_.constData(), size};
        }
        return decodeUtf16(data, size, fileEnd);
    }

    // UTF-16 after its byte-order mark. A unit that cannot stand where it is (a surrogate
    // without its partner, an odd byte at the end of the file) becomes U+FFFD, and everything
    // else still loads. Pieces end at a line break, so no pair is ever cut in two.
    QStringView decodeUtf16(const char* data, qsizetype size, bool fileEnd)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(data);
        const bool bigEndian = encoding_ == Encoding::Utf16Be;
        const qsizetype units = size / 2;
        const auto unit = [&](qsizetype i) {
            const unsigned char* at = bytes + 2 * i;
            return static_cast<char16_t>(bigEndian ? (at[0] << 8) | at[1] : (at[1] << 8) | at[0]);
        };
        decoded_.resize(units + 1);
        QChar* out = decoded_.data();
        for (qsizetype i = 0; i < units; ++i) {
            const char16_t c = unit(i);
            if (QChar::isHighSurrogate(c) && i + 1 < units && QChar::isLowSurrogate(unit(i + 1))) {
                *out++ = QChar(c);
                *out++ = QChar(unit(++i));
            } else if (QChar::isSurrogate(c)) {
                *out++ = QChar(QChar::ReplacementCharacter);
            } else {
                *out++ = QChar(c);
            }
        }
        if (fileEnd && size % 2 != 0)
            *out++ = QChar(QChar::ReplacementCharacter);
        return {decoded_.constData(), out - decoded_.constData()};
    }

    const ReadAt& read_;
    ListModel& items_;
    const qsizetype block_;
    RawArray<char> pending_;
    // Where the next block starts in the file.
    qint64 offset_ = 0;
    // The pending bytes before this hold no line break but perhaps a CR waiting for its LF.
    qsizetype scanned_ = 0;
    // The pending bytes before this are known to be ASCII.
    qsizetype asciiChecked_ = 0;
    Encoding encoding_ = Encoding::Ascii;
    bool emitted_ = false;
    bool loneLf_ = false;
    QString decoded_;
    // Never drops a U+FEFF: the loader alone decides about the byte-order mark.
    QStringDecoder utf8_{QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom};
};

}  // namespace

void AppendPhoneLines(const ReadAt& read, ListModel& items, qsizetype block)
{
    LineLoader(read, items, block).run();
}

void AppendPhoneLines(const QByteArray& bytes, ListModel& items, qsizetype block)
{
    AppendPhoneLines(
        [&bytes](qint64 offset, char* into, qsizetype size) {
            const qsizetype got = std::clamp<qsizetype>(bytes.size() - offset, 0, size);
            std::memcpy(into, bytes.constData() + offset, static_cast<size_t>(got));
            return got;
        },
        // Bytes already in memory need no block larger than themselves (a rule file of a few
        // lines would otherwise take a megabyte for each reading).
        items, std::min<qsizetype>(block, bytes.size() + 1));
}

void ForEachFileLine(const QByteArray& bytes, const std::function<void(QStringView)>& line)
{
    ListModel lines;
    AppendPhoneLines(bytes, lines);
    QString text;
    for (qsizetype r = 0; r < lines.count(); ++r) {
        lines.texts().read(r, text);
        line(text);
    }
}

char16_t Windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

#include "input/text_lines.h"

#include "input/utf8_check.h"

#include "app/lists/list_model.h"
#include "app/lists/text_checks.h"

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

// Reads a file a block at a time and appends its lines. An ASCII file is split as it stands;
// once a file turns out to be anything else, each block is decoded as it arrives. Only whole
// lines are appended; the start of a line that goes on in the next block waits for it, so the
// work on a line of fifty megabytes is spread over its blocks rather than done at its end.
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
            if (encoding_ == Encoding::Ascii && asciiChecked_ < pending_.size()) {
                // A byte-order mark cut by a block's end waits for the rest of it.
                if (more && !emitted_ && pending_.size() < 3) {
                    more = fill();
                    continue;
                }
                leaveAscii();
            }
            if (encoding_ == Encoding::Ascii) {
                const qsizetype cut = takeLines<QLatin1StringView>(pending_, scanned_, !more);
                asciiChecked_ = std::max<qsizetype>(asciiChecked_ - cut, 0);
            } else {
                decodePending(!more);
                takeLines<QStringView>(text_, scanned_, !more);
            }
            if (!more)
                return;
            // A line of megabytes so far: the list's room for it is taken as it comes, a block
            // at a time, so that its append at the end lands in memory already the program's.
            const qsizetype open = encoding_ == Encoding::Ascii ? pending_.size() : text_.size();
            if (open >= kSliceBytes)
                items_.prepareRoom(open + block_, [] {});
            more = fill();
        }
    }

private:
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

    // Appends the whole lines at the start of the buffer (all of it at the end of the file) and
    // removes them; returns how many units went. A CR in the last unit is left waiting: it may
    // be the first half of a CR LF. The units before scanned were searched before and hold no
    // break, so a line of a gigabyte is not searched again for every block.
    template <class View, class Buffer>
    qsizetype takeLines(Buffer& buffer, qsizetype& scanned, bool fileEnd)
    {
        const View text(buffer.data(), buffer.size());
        qsizetype cut = fileEnd ? text.size() : 0;
        for (qsizetype i = text.size() - 1; cut == 0 && i >= scanned; --i) {
            const char16_t c = text[i].unicode();
            if (c == u'\n' || (c == u'\r' && i + 1 < text.size()))
                cut = i + 1;
        }
        if (cut > 0 || fileEnd) {
            EmitLines(
                text.first(cut), fileEnd, loneLf_,
                [this](View line) { items_.appendDeferred(line); }, std::min(scanned, cut));
            emitted_ = true;
        }
        buffer.erase(0, cut);
        scanned = std::max<qsizetype>(buffer.size() - 1, 0);
        return cut;
    }

    // Up to here every byte was ASCII, which reads the same either way. The first other byte
    // decides for the whole file: UTF-8 only when all the rest of it is valid UTF-8. From here
    // on the pending bytes are decoded, and searched afresh.
    void leaveAscii()
    {
        encoding_ = chooseEightBitEncoding();
        // The one byte-order mark a UTF-8 file may start with is not part of its text.
        if (encoding_ == Encoding::Utf8 && !emitted_ && pending_.size() >= 3
            && std::memcmp(pending_.data(), "\xef\xbb\xbf", 3) == 0)
            pending_.erase(0, 3);
        scanned_ = 0;
    }

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

    // Decodes the pending bytes onto the end of the text, all but a UTF-16 unit or pair the
    // next block completes.
    void decodePending(bool fileEnd)
    {
        const auto* data = reinterpret_cast<const unsigned char*>(pending_.data());
        qsizetype size = pending_.size();
        // At most one UTF-16 unit a byte, plus the replacement for an odd last byte.
        char16_t* out = text_.grow(size + 1);
        char16_t* const begin = out;
        if (encoding_ == Encoding::Utf8) {
            // The decoder keeps a sequence a block's end cuts until the next block completes it.
            out = reinterpret_cast<char16_t*>(utf8_.appendToBuffer(
                reinterpret_cast<QChar*>(out), QByteArrayView(pending_.data(), size)));
        } else if (encoding_ == Encoding::Windows1252) {
            for (qsizetype i = 0; i < size; ++i)
                *out++ = Windows1252Character(data[i]);
        } else {
            out = decodeUtf16(data, size, fileEnd, out);
        }
        text_.truncate(text_.size() - (size + 1) + (out - begin));
        pending_.erase(0, size - undecoded_);
        undecoded_ = 0;
    }

    // UTF-16 after its byte-order mark. A unit that cannot stand where it is (a surrogate
    // without its partner, an odd byte at the end of the file) becomes U+FFFD, and everything
    // else still loads. Before the end of the file, an odd last byte and a last unit that may
    // start a pair wait for the next block (undecoded_).
    char16_t* decodeUtf16(const unsigned char* bytes, qsizetype size, bool fileEnd, char16_t* out)
    {
        const bool bigEndian = encoding_ == Encoding::Utf16Be;
        qsizetype units = size / 2;
        const auto unit = [&](qsizetype i) {
            const unsigned char* at = bytes + 2 * i;
            return static_cast<char16_t>(bigEndian ? (at[0] << 8) | at[1] : (at[1] << 8) | at[0]);
        };
        if (!fileEnd) {
            if (units > 0 && QChar::isHighSurrogate(unit(units - 1)))
                --units;
            undecoded_ = size - 2 * units;
        }
        for (qsizetype i = 0; i < units; ++i) {
            const char16_t c = unit(i);
            if (QChar::isHighSurrogate(c) && i + 1 < units && QChar::isLowSurrogate(unit(i + 1))) {
                *out++ = c;
                *out++ = unit(++i);
            } else {
                *out++ = QChar::isSurrogate(c) ? char16_t(QChar::ReplacementCharacter) : c;
            }
        }
        if (fileEnd && size % 2 != 0)
            *out++ = QChar::ReplacementCharacter;
        return out;
    }

    const ReadAt& read_;
    ListModel& items_;
    const qsizetype block_;
    // Bytes read and not yet split (ASCII) or decoded (anything else).
    RawArray<char> pending_;
    // The decoded text not yet split into lines.
    RawArray<char16_t> text_;
    // Where the next block starts in the file.
    qint64 offset_ = 0;
    // The units of pending_ (ASCII) or text_ before this hold no line break.
    qsizetype scanned_ = 0;
    // The pending bytes before this are known to be ASCII.
    qsizetype asciiChecked_ = 0;
    // Pending bytes the last decoding left for the next block.
    qsizetype undecoded_ = 0;
    Encoding encoding_ = Encoding::Ascii;
    bool emitted_ = false;
    bool loneLf_ = false;
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

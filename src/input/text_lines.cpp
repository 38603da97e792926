#include "input/text_lines.h"

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

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(Windows1252Character(static_cast<unsigned char>(byte)));
    return text;
}

// UTF-16 after its byte-order mark. A unit that cannot stand where it is (a surrogate without
// its partner, an odd byte at the end) becomes U+FFFD, and everything else still loads.
QString DecodeUtf16(const QByteArray& bytes, bool bigEndian)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype units = (bytes.size() - 2) / 2;
    const auto unit = [&](qsizetype i) {
        const unsigned char* at = data + 2 + 2 * i;
        return static_cast<char16_t>(bigEndian ? (at[0] << 8) | at[1] : (at[1] << 8) | at[0]);
    };
    QString text(units + (bytes.size() % 2), Qt::Uninitialized);
    QChar* out = text.data();
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
    if (bytes.size() % 2 != 0)
        *out++ = QChar(QChar::ReplacementCharacter);
    text.truncate(out - text.constData());
    return text;
}

}  // namespace

char16_t Windows1252Character(unsigned char byte)
{
    return (byte >= 0x80 && byte <= 0x9F) ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

QString DecodeTextFile(const QByteArray& bytes)
{
    // Windows programs' "Unicode text" is UTF-16 with its mark; without one it is never guessed.
    if (bytes.startsWith("\xff\xfe"))
        return DecodeUtf16(bytes, false);
    if (bytes.startsWith("\xfe\xff"))
        return DecodeUtf16(bytes, true);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return DecodeWindows1252(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

namespace {

// Calls line() with each phone-list item of the text, as a view of it: a line ends at CR LF or
// at a lone CR, every LF is a further boundary, a final CR LF or CR leaves no empty item after
// it and a final LF leaves one.
template <class View, class Line> void ForEachLine(View text, Line&& line)
{
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        line(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < size && text[i + 1].unicode() == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size
        || (size > 0 && text[size - 1].unicode() == u'\n'
            && !(size > 1 && text[size - 2].unicode() == u'\r')))
        line(text.sliced(start, size - start));
}

bool IsAscii(const QByteArray& bytes)
{
    // Eight bytes at a time: any high bit among them is a byte above 127.
    const char* at = bytes.constData();
    const char* const end = at + bytes.size();
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

}  // namespace

void AppendPhoneLines(const QByteArray& bytes, ListModel& items)
{
    // No more characters than bytes, and lines of two bytes at the shortest (a character and a
    // line end); room that is never written costs address space, not memory.
    items.reserve(bytes.size() / 2 + 1, bytes.size());
    // Plain ASCII, the common case, goes from the file's bytes straight into the list.
    if (!bytes.startsWith("\xff\xfe") && !bytes.startsWith("\xfe\xff") && IsAscii(bytes)) {
        ForEachLine(QLatin1StringView(bytes),
                    [&](QLatin1StringView line) { items.appendDeferred(line); });
        return;
    }
    const QString text = DecodeTextFile(bytes);
    ForEachLine(QStringView(text), [&](QStringView line) { items.appendDeferred(line); });
}

void ForEachTextLine(QStringView text, const std::function<void(QStringView)>& line)
{
    ForEachLine(text, line);
}

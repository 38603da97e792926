// Fuzzes the reading of phone-number files: decoding loses no byte and keeps what it decodes,
// the lines are the text with its line ends taken out and nothing else, and the plain-ASCII
// road into the list gives the same items as the decoding road.

#include "app/lists/list_model.h"
#include "input/text_lines.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = DecodeTextFile(bytes);

    // Decoding: UTF-16 behind its mark gives one character a unit (an odd last byte one
    // more); otherwise the text is the bytes as UTF-8 (less a mark), or one character a byte.
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        Require(text.size() == (bytes.size() - 2) / 2 + bytes.size() % 2);
    } else {
        const QByteArray unmarked = bytes.startsWith("\xef\xbb\xbf") ? bytes.sliced(3) : bytes;
        Require(text.toUtf8() == unmarked || text.size() == bytes.size());
    }

    // Splitting: no line holds a line end, and joined with LF the lines are the text with its
    // line ends made LF, less the one that ended the text when that was a CR LF or a CR.
    QStringList lines;
    ForEachTextLine(text, [&](QStringView line) { lines << line.toString(); });
    for (const QString& line : lines)
        Require(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    flat.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\r')) || text.endsWith(QStringLiteral("\r\n")))
        flat.chop(1);
    Require(lines.join(QLatin1Char('\n')) == flat);
    Require(!text.isEmpty() || lines.isEmpty());

    // The list receives exactly those lines, whichever road the bytes take.
    ListModel list;
    AppendPhoneLines(bytes, list);
    Require(list.count() == lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        Require(list.text(i) == lines[i]);
    return 0;
}

// Fuzzes the reading of phone-number files: read in blocks of any size it gives the same lines
// as read in one, no line holds a line end, and outside UTF-16 the lines are those of the
// file split by the line-end rules, each decoded on its own by Qt's own decoder.

#include "files/encodings.h"
#include "files/text_lines.h"
#include "lists/list_model.h"
#include "require.h"

#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

// An independent reading of the same rules: the bytes split at their line ends, then each
// line decoded on its own by Qt's decoder, or as Windows-1252 where that finds it is not UTF-8.
QString Decoded(const QByteArray& line)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(line);
    if (!utf8.hasError())
        return text;
    text.clear();
    for (const char byte : line)
        text += QChar(Windows1252Character(static_cast<unsigned char>(byte)));
    return text;
}

QStringList Split(QByteArray bytes)
{
    if (bytes.startsWith("\xef\xbb\xbf"))
        bytes.remove(0, 3);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines << Decoded(bytes.sliced(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size() || (bytes.endsWith('\n') && !bytes.endsWith("\r\n")))
        lines << Decoded(bytes.sliced(start));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ListModel whole;
    AppendPhoneLines(bytes, whole);
    // Read in small blocks, the file gives the same lines as read in one.
    ListModel pieces;
    AppendPhoneLines(bytes, pieces, 1 + (size > 0 ? data[0] % 7 : 0));
    Require(whole.count() == pieces.count());
    for (qsizetype i = 0; i < whole.count(); ++i) {
        const QString line = whole.text(i);
        Require(line == pieces.text(i));
        Require(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
    }
    // Outside UTF-16, the lines are those of the whole text decoded at once.
    if (!bytes.startsWith("\xff\xfe") && !bytes.startsWith("\xfe\xff")) {
        const QStringList lines = Split(bytes);
        Require(whole.count() == lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            Require(whole.text(i) == lines[i]);
    }
    return 0;
}

// Fuzzes the reading of phone-number files: read in blocks of any size it gives the same lines
// as read in one, no line holds a line end, and outside UTF-16 the lines are those of the
// whole file decoded at once by Qt's own decoder and split by the line-end rules.

#include "app/lists/list_model.h"
#include "input/text_lines.h"
#include "require.h"

#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

// An independent reading of the same rules: the whole file decoded at once, then split.
QString Decoded(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        text.clear();
        for (const char byte : bytes)
            text += QChar(Windows1252Character(static_cast<unsigned char>(byte)));
        return text;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QStringList Split(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            continue;
        lines << text.sliced(start, i - start);
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size() || (text.endsWith(QLatin1Char('\n')) && !text.endsWith(u"\r\n")))
        lines << text.sliced(start);
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
        const QStringList lines = Split(Decoded(bytes));
        Require(whole.count() == lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            Require(whole.text(i) == lines[i]);
    }
    return 0;
}

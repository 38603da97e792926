#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class ListModel;

// A text file's bytes as text: UTF-16 (little- or big-endian) when the file starts with its
// byte-order mark, each unit that cannot be decoded becoming U+FFFD; otherwise UTF-8 when the
// bytes are valid UTF-8 (a byte-order mark is dropped), otherwise Windows-1252 with one byte
// one character, so no byte is ever lost. UTF-16 without a mark is not guessed.
QString DecodeTextFile(const QByteArray& bytes);

// Splits text into phone-list items: a line ends at CR LF or at a lone CR, and every LF is a
// further boundary. A final CR LF or CR leaves no empty item after it; a final LF leaves one.
// Empty text gives no items.
std::vector<QString> SplitPhoneLines(const QString& text);

// Appends a file's lines to the list (without announcing them): decoded as DecodeTextFile does
// and split as SplitPhoneLines does, without holding them as separate texts on the way.
void AppendPhoneLines(const QByteArray& bytes, ListModel& items);

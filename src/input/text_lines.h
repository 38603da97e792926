#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>

class ListModel;

// A text file's bytes as text: UTF-16 (little- or big-endian) when the file starts with its
// byte-order mark, each unit that cannot be decoded becoming U+FFFD; otherwise UTF-8 when the
// bytes are valid UTF-8 (a byte-order mark is dropped), otherwise Windows-1252 with one byte
// one character, so no byte is ever lost. UTF-16 without a mark is not guessed.
QString DecodeTextFile(const QByteArray& bytes);

// The character a byte stands for in Windows-1252; its five unassigned bytes keep their C1
// control codes.
char16_t Windows1252Character(unsigned char byte);

// Appends a file's lines to the list (without announcing them), decoded as DecodeTextFile does,
// without holding them as separate texts on the way. A line ends at CR LF or at a lone CR, and
// every LF is a further boundary; a final CR LF or CR leaves no empty item after it, a final LF
// leaves one; an empty file gives no items.
void AppendPhoneLines(const QByteArray& bytes, ListModel& items);

// Calls line() with each line of a decoded text, split exactly as AppendPhoneLines splits a
// file, so other files read line by line keep the same line ends.
void ForEachTextLine(QStringView text, const std::function<void(QStringView)>& line);

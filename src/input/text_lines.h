#pragma once

#include <QByteArray>
#include <QStringView>

#include <functional>

class ListModel;

// Reads up to size bytes of a file from an offset into the buffer; returns how many it read,
// 0 at the end of the file. Throws AppError when reading fails.
using ReadAt = std::function<qsizetype(qint64 offset, char* into, qsizetype size)>;

// How much of a file is held at once while it becomes rows: small beside any list worth the
// name, large enough that reading costs no more than reading the file whole.
inline constexpr qsizetype kLoadBlock = qsizetype(1) << 20;

// Appends a text file's lines to the list (without announcing them), reading it a block at a
// time so that the file is never held whole beside the rows it becomes.
//
// Decoding: UTF-16 (little- or big-endian) when the file starts with its byte-order mark, each
// unit that cannot be decoded becoming U+FFFD; otherwise UTF-8 when the whole file is valid
// UTF-8 (one byte-order mark at its very start is dropped, any other U+FEFF is content),
// otherwise Windows-1252 with one byte one character, so no byte is ever lost. UTF-16 without
// a mark is not guessed.
//
// Lines: a line ends at CR LF or at a lone CR, and every LF is a further boundary; a final
// CR LF or CR leaves no empty item after it, a final LF leaves one; an empty file gives none.
void AppendPhoneLines(const ReadAt& read, ListModel& items, qsizetype block = kLoadBlock);
// The same for bytes already in memory.
void AppendPhoneLines(const QByteArray& bytes, ListModel& items, qsizetype block = kLoadBlock);

// Calls line() with each line of a file's bytes, decoded and split exactly as the phone list
// loads them, for other files read line by line (rule files).
void ForEachFileLine(const QByteArray& bytes, const std::function<void(QStringView)>& line);

// The character a Windows-1252 byte stands for; every byte has one, so none is lost.
char16_t Windows1252Character(unsigned char byte);

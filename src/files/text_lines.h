#pragma once

#include "files/line_reader.h"

#include <QByteArray>
#include <QStringView>

#include <functional>

class ListModel;

// Reads up to size bytes of a file from an offset into the buffer; returns how many it read,
// 0 at the end of the file. Throws AppError when reading fails.
using ReadAt = LineReader::ReadAt;

// How much of a file is held at once while it becomes rows: small beside any list worth the
// name, large enough that reading costs no more than reading the file whole.
inline constexpr qsizetype kLoadBlock = LineReader::kBlockBytes;

// Appends a text file's lines to the list (without announcing them) through the one reader of
// phone-number files (see LineReader for the decoding and the line ends): an ASCII line stays
// eight-bit, and a row is appended only once it is whole.
void AppendPhoneLines(const ReadAt& read, ListModel& items, qsizetype block = kLoadBlock);
// The same for bytes already in memory.
void AppendPhoneLines(const QByteArray& bytes, ListModel& items, qsizetype block = kLoadBlock);

// Calls line() with each line of a file's bytes, decoded and split exactly as the phone list
// loads them, for other files read line by line (rule files).
void ForEachFileLine(const QByteArray& bytes, const std::function<void(QStringView)>& line);

#pragma once

#include <QByteArray>
#include <QString>

#include "files/file_system.h"

#include <string_view>

// Writes all of the bytes to a descriptor, going on after interruptions while keepGoing says
// so; returns 0 or the errno of the write that failed.
int WriteAll(int fd, std::string_view bytes, bool (*keepGoing)() = nullptr);

// Prints a text (help, version) on standard output; returns the exit status: 0, or 1 after a
// message on standard error when it could not be written (a full disk, a closed file).
int PrintToStandardOutput(const QString& text);

// An input's name as messages give it: "standard input" for -, else ShownName.
QByteArray InputName(const QByteArray& input);

// Opens a file, going on after interruptions while keepGoing says so (a FIFO waits in open for
// the other end, and a signal that stops the program ends the wait); -1 with errno set.
int OpenUninterrupted(const QByteArray& name, int flags, bool (*keepGoing)());

// "dialwright: " and the message, on standard error.
void Complain(const QByteArray& message);

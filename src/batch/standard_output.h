#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

// Writes all of the bytes to a descriptor, going on after interruptions while keepGoing says
// so; returns 0 or the errno of the write that failed.
int WriteAll(int fd, std::string_view bytes, bool (*keepGoing)() = nullptr);

// Prints a text (help, version) on standard output; returns the exit status: 0, or 1 after a
// message on standard error when it could not be written (a full disk, a closed file).
int PrintToStandardOutput(const QString& text);

// A file's name as a message shows it: its own bytes, so it can be found again, with control
// characters and the backslash escaped as ls -b escapes them (a newline would split the line).
QByteArray ShownName(const QByteArray& name);

// "dialwright: " and the message, on standard error.
void Complain(const QByteArray& message);

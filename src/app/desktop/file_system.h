#pragma once

#include <QByteArray>
#include <QString>

// True when the last-modified time of the path can be read; never reports an error.
bool FileExists(const QString& path);
// Why the last-modified time of the file at this name (its bytes, as the system takes them)
// cannot be read, as an errno value; 0 when it can.
int FileLookupError(const QByteArray& name);

// Reads a whole regular file. Special files (FIFOs, devices, sockets) and folders are refused
// without being read, so a FIFO never blocks the window. Throws AppError on failure.
QByteArray ReadWholeFile(const QString& path);
// The same, by the name's bytes: a name that is not valid UTF-8 cannot pass through a QString.
QByteArray ReadWholeFile(const QByteArray& name);

// Joins a folder and a name with "/".
QString JoinPath(const QString& folder, const QString& name);

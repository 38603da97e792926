#pragma once

#include <QByteArray>
#include <QString>

// True when the last-modified time of the path can be read; never reports an error.
bool FileExists(const QString& path);

// Reads a whole regular file. Special files (FIFOs, devices, sockets) and folders are refused
// without being read, so a FIFO never blocks the window. Throws AppError on failure.
QByteArray ReadWholeFile(const QString& path);

// Joins a folder and a name with "/".
QString JoinPath(const QString& folder, const QString& name);

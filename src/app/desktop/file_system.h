#pragma once

#include <QByteArray>
#include <QString>

// True when the last-modified time of the path can be read; never reports an error.
bool FileExists(const QString& path);

// A regular file open for reading, closed with the object. Special files (FIFOs, devices,
// sockets) and folders are refused without being read, so a FIFO never blocks the window.
// Throws AppError on failure.
class ReadableFile {
public:
    explicit ReadableFile(const QString& path);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    // The size when it was opened.
    qint64 size() const { return size_; }
    // Reads up to size bytes from the offset; fewer only at the end of the file.
    qsizetype readAt(qint64 offset, char* into, qsizetype size) const;

private:
    int fd_ = -1;
    qint64 size_ = 0;
};

// Reads a whole regular file. Special files (FIFOs, devices, sockets) and folders are refused
// without being read, so a FIFO never blocks the window. Throws AppError on failure.
QByteArray ReadWholeFile(const QString& path);

// Joins a folder and a name with "/".
QString JoinPath(const QString& folder, const QString& name);

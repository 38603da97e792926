#pragma once

#include <QByteArray>
#include <QString>

// True when the last-modified time of the path can be read; never reports an error.
bool FileExists(const QString& path);
// Why the last-modified time of the file at this name (its bytes, as the system takes them)
// cannot be read, as an errno value; 0 when it can.
int FileLookupError(const QByteArray& name);

// A regular file open for reading, closed with the object. Special files (FIFOs, devices,
// sockets) and folders are refused without being read, so a FIFO never blocks the window.
// Throws AppError on failure.
class ReadableFile {
public:
    explicit ReadableFile(const QString& path);
    // A name as the bytes it is: a Linux file name need not be valid UTF-8.
    explicit ReadableFile(const QByteArray& name);
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
// The same, by the name's bytes: a name that is not valid UTF-8 cannot pass through a QString.
QByteArray ReadWholeFile(const QByteArray& name);

// Joins a folder and a name with "/".
QString JoinPath(const QString& folder, const QString& name);

// What becomes of bytes that are not part of UTF-8: a message written out as bytes keeps them,
// so the name can be found again; one held as text cannot carry them, and escapes them too.
enum class ForeignBytes { Kept, Escaped };
// A file's name as a message on a terminal shows it: its own bytes, so it can be found again,
// with control characters (C1 ones too) and the backslash escaped as ls -b escapes them (a
// newline would split the line).
QByteArray ShownName(const QByteArray& name, ForeignBytes foreign = ForeignBytes::Kept);

// The folder temporary files go to: $TMPDIR, or /tmp when it is not set.
QByteArray TemporaryFolder();
// A file in TemporaryFolder() that has no name, so it is gone with its descriptor and nothing
// is left behind however the program ends. Returns the descriptor, or -1 with errno set.
int OpenUnnamedTemporary();

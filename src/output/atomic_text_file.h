#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// A text file written as UTF-8 without a byte-order mark, every line ending in CR LF. It is
// written to a temporary file beside the target and renamed over it only when complete, so a
// failure halfway (a full disk) leaves an existing file as it was. Failures throw AppError.
class AtomicTextFile {
public:
    explicit AtomicTextFile(QString path);
    ~AtomicTextFile();
    AtomicTextFile(const AtomicTextFile&) = delete;
    AtomicTextFile& operator=(const AtomicTextFile&) = delete;

    // Refuses targets that are folders, special files or write-protected files, then creates
    // the temporary file.
    void create();
    void writeLine(QStringView line);
    // Writes what is buffered, syncs it and puts the file in place of the target.
    void commit();

private:
    void flush();
    void discard();

    QString path_;
    QByteArray target_;
    QByteArray temporary_;
    QString pending_;
    int fd_ = -1;
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <string>
#include <string_view>

// A text file written as UTF-8 without a byte-order mark, every line ending in CR LF, that
// replaces what stood under its name only when it is complete. Failures throw AppError.
//
// Where it can, it writes a temporary file beside the target and renames it over the target:
// the replacement is atomic, and the folder is synced so a power loss leaves the old file or
// the new one. The temporary file takes the target's permission bits, owner, group, extended
// attributes and access control lists. Where a rename would lose something (a file with more
// than one hard link, an owner or attributes that cannot be carried over, a folder the user
// may not write to), the target is rewritten in place instead: the text is gathered whole and
// written only once it is sure to fit (free space, file-size limit), but a failure halfway
// through that rewrite (an I/O error) can leave the file part-written.
//
// A symbolic link, or a chain of them, is followed to its last target, which is the file
// written; the links stay links. A link whose target does not exist yet creates that target.
class TextFileWriter {
public:
    explicit TextFileWriter(QString path);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Refuses targets that are folders, special files or write-protected files, then opens
    // the temporary file or, for a rewrite in place, the target.
    void create();
    void writeLine(QStringView line);
    void writeUtf8Line(std::string_view line);
    // UTF-8 bytes as they are, line ends included.
    void writeUtf8(std::string_view bytes);
    // Writes what is left, syncs it and puts the text in place of the old.
    void commit();

    bool rewritesInPlace() const { return inPlace_; }

private:
    void flush();
    void replaceByRename();
    void rewriteInPlace();
    // Gives the temporary file what the target has; false when something cannot be carried.
    bool carryOver(int targetMode, unsigned owner, unsigned group);
    void discard();

    QString path_;
    QByteArray target_;
    QByteArray temporary_;
    // Encoded lines not yet written (a std::string: appending a few bytes is inline there).
    std::string pending_;
    QStringEncoder utf8_{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    // For a rewrite in place: the whole text, written only at commit.
    std::string whole_;
    int fd_ = -1;
    bool inPlace_ = false;
};

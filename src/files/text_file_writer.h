#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <cstddef>
#include <functional>

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <string_view>

// A text file written as UTF-8 without a byte-order mark, every line ending in CR LF, that
// replaces what stood under its name only when it is complete. Failures throw AppError.
//
// Where it can, it writes a temporary file beside the target and renames it over the target:
// the replacement is atomic, and the folder is synced so a power loss leaves the old file or
// the new one. A new file gets what any new file in its folder gets (the umask, or the folder's
// default access list); one that replaces a file takes that file's permission bits, owner,
// group, extended attributes and access control lists. Where a rename would lose something (a
// file with more than one hard link, an owner or attributes that cannot be carried over, a
// folder the user may not write to) or cannot be done (a file bind-mounted over the name), the
// target is rewritten in place instead: the text is finished first (in a temporary file without
// a name, so memory stays flat; in memory only where no temporary file can be made) and written
// over the old only once it is sure to fit (free space, file-size limit), without yielding, but
// a failure halfway through that rewrite (an I/O error) can leave the file part-written.
//
// A symbolic link, or a chain of them, is followed to its last target, which is the file
// written; the links stay links. A link whose target does not exist yet creates that target.
//
// A line longer than a chunk is written from where it lies, a chunk at a time, and a long
// file's final syncs run on a worker thread. betweenSlices, when given, runs between those
// chunks and while such a sync is waited for, so a window can take its events; the line is the
// caller's and must stay as it is meanwhile. The rewrite in place never yields.
class TextFileWriter {
public:
    // Encoded lines are gathered and written in chunks of about this many bytes.
    static constexpr std::size_t kChunkBytes = std::size_t(1) << 19;

    explicit TextFileWriter(const QString& path, std::function<void()> betweenSlices = {});
    // A name as the bytes it is: a Linux file name need not be valid UTF-8.
    explicit TextFileWriter(QByteArray name, std::function<void()> betweenSlices = {});
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Refuses targets that are folders, special files or write-protected files, then opens
    // the temporary file or, for a rewrite in place, the target.
    void create();
    void writeLine(QStringView line);
    void writeUtf8Line(std::string_view line)
    {
        // Short lines, the usual ones, only gather.
        if (fd_ >= 0 && line.size() < kChunkBytes) {
            pending_.append(line);
            pending_.append("\r\n", 2);
            if (pending_.size() >= kChunkBytes)
                flush();
            return;
        }
        writeUtf8LineOtherwise(line);
    }
    // UTF-8 bytes as they are, line ends included.
    void writeUtf8(std::string_view bytes);
    // Writes what is left, syncs it and puts the text in place of the old.
    void commit();
    // Asked once the text is safely on disk, just before it takes the old one's place: false
    // stops the commit there (EINTR), the old file as it was. A rewrite in place is never
    // stopped halfway; it finishes, so the file is whole.
    void stopUnless(bool (*keepGoing)()) { keepGoing_ = keepGoing; }
    // Whether the last commit wrote the text over the old one in place, rather than renaming a
    // finished file over it.
    bool rewroteInPlace() const { return rewroteInPlace_; }

private:
    void writeUtf8LineOtherwise(std::string_view line);
    void flush();
    // Writes what is pending, then bytes longer than a chunk, a chunk at a time.
    void writeLong(std::string_view bytes);
    // Writes bytes to the file being written (the temporary one, or the one aside); throws.
    void writeOut(std::string_view bytes);
    // Has the disk start on the finished stretches of a long temporary file.
    void writeBehind();
    // fsync on a worker thread, with betweenSlices_ meanwhile; 0 or the errno.
    int syncAside(int fd);
    void replaceByRename();
    // Writes the text over the target's, from the given finished file or (-1) from memory.
    void rewriteInPlace(int from);
    void rewriteFromTemporary();
    // Opens a temporary file that takes the target's place at commit, carrying over what the
    // file it replaces has (none for a new file); false, leaving nothing behind, when it cannot.
    bool openTemporary(const struct stat* replaced);
    void openInPlace();
    void discard();

    QByteArray path_;
    std::function<void()> betweenSlices_;
    QByteArray target_;
    QByteArray temporary_;
    // Encoded lines not yet written (a std::string: appending a few bytes is inline there).
    std::string pending_;
    QStringEncoder utf8_{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    // For a rewrite in place: the whole text, written only at commit, in the unnamed file
    // aside_ or, when none could be made, in memory.
    std::string whole_;
    int aside_ = -1;
    int fd_ = -1;
    bool inPlace_ = false;
    // The temporary file's length so far, and how much of it the disk has been set writing.
    off_t written_ = 0;
    off_t handedToDisk_ = 0;
    bool (*keepGoing_)() = nullptr;
    bool rewroteInPlace_ = false;
};

#pragma once

#include "batch/input_spool.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

// Receives the phone items of an input one at a time.
class PhoneLineSink {
public:
    virtual ~PhoneLineSink() = default;
    // The item's text in UTF-8 (valid only during the call) and its length in UTF-16 units,
    // which is how the lists count characters.
    virtual void phoneLine(std::string_view text, qsizetype length) = 0;
};

// Reads an input in blocks and hands on its phone items exactly as loading the whole file into
// the phone list would give them: the same decoding (UTF-16 after its mark, else UTF-8 when the
// whole input is UTF-8, else Windows-1252) and the same line ends, in memory that does not grow
// with the input.
//
// Whether the input is UTF-8 is a question about all of it. While the bytes are ASCII both
// answers read them alike, so lines flow on at once. At the first byte above 127 the rest of
// the input is checked before anything more is handed on: a regular file is read ahead and then
// read again from where it stood; a pipe is held in an InputSpool until an invalid byte or the
// end settles it, then handed on from there.
class PhoneLineReader {
public:
    static constexpr std::size_t kBlockBytes = std::size_t(1) << 20;

    PhoneLineReader(int fd, PhoneLineSink& sink, std::size_t blockBytes = kBlockBytes);
    ~PhoneLineReader();
    PhoneLineReader(const PhoneLineReader&) = delete;
    PhoneLineReader& operator=(const PhoneLineReader&) = delete;

    // Called after every block with the bytes read so far; returning false stops the reading.
    std::function<bool(qint64)> onBlock;
    // A final LF ends the last line, as line tools read it, instead of being followed by an
    // empty item as the phone list loads it.
    bool finalLfEndsLine = false;

    // Reads to the end. Returns 0, or the errno of what failed (the items before it have been
    // handed on); EINTR when onBlock asked to stop; ENOMEM when a line would outgrow the memory
    // the program may still take, or an allocation failed.
    int run();
    // After a failure: whether it was the spool's (a pipe's bytes held in TemporaryFolder()),
    // and the number of the line it came at (0 when it was no line's).
    bool spoolFailed() const { return spoolFailed_; }
    qint64 failedLine() const { return failedLine_; }

private:
    enum class Encoding { Unsettled, Utf8, Windows1252, Utf16Le, Utf16Be };
    template <class Char> struct Splitter;

    std::size_t readSome(char* buffer, std::size_t size);
    void take(const char* data, std::size_t size, bool inputStart);
    void takeSettled(const char* data, std::size_t size, bool inputStart);
    void settle(const char* data, std::size_t size);
    void takeUtf16(const char* data, std::size_t size);
    void pushUnit(char16_t unit);
    void finish();
    // Stops before the line being gathered outgrows the memory the program may still take.
    void guardLine(std::size_t heldBytes);
    void byteLine(std::string_view line);
    void unitLine(std::u16string_view line);

    int fd_;
    PhoneLineSink& sink_;
    std::size_t blockBytes_;
    std::unique_ptr<char[]> block_;
    std::unique_ptr<char[]> ahead_;
    Encoding encoding_ = Encoding::Unsettled;
    bool seekable_ = false;
    off_t nextOffset_ = 0;  // where the next read of a regular file begins
    qint64 read_ = 0;
    bool atEnd_ = false;
    InputSpool spool_;
    std::unique_ptr<Splitter<char>> bytes_;
    std::unique_ptr<Splitter<char16_t>> units_;
    std::string converted_;
    std::u16string decoded_;
    int oddByte_ = -1;
    char16_t highSurrogate_ = 0;
    qint64 lines_ = 0;
    std::size_t nextGuard_ = 0;
    bool spoolFailed_ = false;
    qint64 failedLine_ = 0;
};

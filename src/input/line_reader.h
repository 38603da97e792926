#pragma once

#include "input/input_spool.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Receives the lines of a phone-number file one at a time; each view is valid only during the
// call.
class LineSink {
public:
    virtual ~LineSink() = default;
    // A line of bytes: ASCII, or UTF-8 when the reader hands on UTF-8 (LineReader::Form::Utf8);
    // length counts its UTF-16 units, as the lists count characters.
    virtual void bytesLine(std::string_view bytes, qsizetype length) = 0;
    // A line of UTF-16 units. A sink that takes UTF-8 gets it as such.
    virtual void unitsLine(std::u16string_view units);

    // How the line being handed on ended in the input, for a sink that writes it back as it was.
    enum class LineEnd { None, Lf, Cr, CrLf };
    LineEnd lineEnd() const { return lineEnd_; }

protected:
    // Hands a line on to another sink as the reader would, for a sink that passes lines on.
    static void handOn(LineSink& to, std::string_view bytes, qsizetype length, LineEnd how)
    {
        to.lineEnd_ = how;
        to.bytesLine(bytes, length);
    }

private:
    friend class LineReader;
    LineEnd lineEnd_ = LineEnd::None;
};

// The one reader of phone-number files, for the window's loader and the command line alike.
// It reads a file or a stream in blocks, in memory that does not grow with the input, and
// hands each line on as soon as it is whole.
//
// Decoding: UTF-16 (little- or big-endian) after its byte-order mark, each unit that cannot
// stand where it is becoming U+FFFD; otherwise UTF-8 when the whole input is valid UTF-8 (one
// byte-order mark at its very start is dropped, any other U+FEFF is content); otherwise
// Windows-1252, one byte one character, so no byte is ever lost. UTF-16 without a mark is not
// guessed.
//
// Whether the input is UTF-8 is a question about all of it. While the bytes are ASCII both
// answers read them alike, so lines flow on at once. At the first byte above 127 the rest is
// checked before anything more is handed on: a file is read ahead and then read on from where
// it stood; a stream is held in an InputSpool until an invalid byte or its end settles it.
//
// Lines: a line ends at CR LF or at a lone CR, and every LF is a further boundary; a final
// CR LF or CR leaves no empty item after it, a final LF leaves one (unless finalLfEndsLine);
// an empty input gives none.
class LineReader {
public:
    // Reads up to size bytes from the offset (a file) or from where the last read ended (a
    // stream); returns how many, 0 at the end. Failures are thrown, and pass to the caller.
    using ReadAt = std::function<qsizetype(qint64 offset, char* into, qsizetype size)>;
    using ReadOn = std::function<qsizetype(char* into, qsizetype size)>;

    // What a line that is not all ASCII becomes: UTF-16 units (a list) or UTF-8 bytes.
    enum class Form { Utf16, Utf8 };

    static constexpr qsizetype kBlockBytes = qsizetype(1) << 20;

    LineReader(ReadAt file, LineSink& sink, Form form, qsizetype block = kBlockBytes);
    LineReader(ReadOn stream, LineSink& sink, Form form, qsizetype block = kBlockBytes);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // A final LF ends the last line, as line tools read it.
    bool finalLfEndsLine = false;
    // Called after each block with the size of the line still open (in bytes or units), so a
    // line of megabytes can be planned for, or refused, before it is whole.
    std::function<void(qsizetype)> onOpenLine;

    // Reads to the end.
    void run();
    // The lines handed on so far.
    qint64 lines() const { return lines_; }

private:
    enum class Encoding { Unsettled, Utf8, Windows1252, Utf16Le, Utf16Be };
    template <class Char> struct Splitter;
    struct Decoding;

    qsizetype readSome(char* into, qsizetype size);
    void take(const char* data, qsizetype size, bool inputStart);
    void takeSettled(const char* data, qsizetype size, bool inputStart);
    void settle(const char* data, qsizetype size);
    void finish();
    void byteLine(std::string_view line, LineSink::LineEnd how);
    void unitLine(std::u16string_view line, LineSink::LineEnd how);
    void tellOpenLine();

    ReadAt readAt_;
    ReadOn readOn_;
    LineSink& sink_;
    Form form_;
    qsizetype block_;
    std::unique_ptr<char[]> buffer_;
    std::unique_ptr<char[]> ahead_;
    Encoding encoding_ = Encoding::Unsettled;
    qint64 offset_ = 0;  // where the next read of a file begins
    bool atEnd_ = false;
    InputSpool spool_;
    std::unique_ptr<Splitter<char>> bytes_;
    std::unique_ptr<Splitter<char16_t>> units_;
    std::unique_ptr<Decoding> decoding_;
    std::string converted_;
    qint64 lines_ = 0;
};

// The character a Windows-1252 byte stands for; every byte has one, so none is lost.
char16_t Windows1252Character(unsigned char byte);

#pragma once

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
    // A line of bytes: ASCII, UTF-8 when the reader hands on UTF-8 (LineReader::Form::Utf8), or
    // the input's own bytes (LineReader::Form::Raw); length counts its UTF-16 units, as the
    // lists count characters (in the raw form, its bytes).
    virtual void bytesLine(std::string_view bytes, qsizetype length) = 0;
    // A line of UTF-16 units. A sink that takes bytes gets them as UTF-8, a unit without its
    // partner as the three bytes it would take if it were a character, so nothing is lost.
    virtual void unitsLine(std::u16string_view units);

    // The byte-order mark the input began with, told before its first line for an input of any
    // bytes; the mark itself is never part of a line.
    enum class Mark { None, Utf8, Utf16Le, Utf16Be };
    virtual void inputMark(Mark) {}
    // The raw form only: the byte that ends a UTF-16 input of odd length, told after its last
    // line, for a sink that writes the input back as it was.
    virtual void strayByte(char) {}

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
// stand where it is becoming U+FFFD. Otherwise each line is decoded on its own: a line that is
// valid UTF-8 is UTF-8, any other is Windows-1252, one byte one character, so no byte is ever
// lost and one stray byte of a merged export costs only its own line. A UTF-8 byte-order mark
// at the very start is dropped; any other U+FEFF is content. UTF-16 without a mark is not
// guessed.
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

    // What a line that is not all ASCII becomes: UTF-16 units (a list), UTF-8 bytes, or, for a
    // sink that writes the input back as it was, the line's own bytes undecoded (UTF-16 lines
    // as units, none replaced).
    enum class Form { Utf16, Utf8, Raw };

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
    template <class Char> struct Splitter;
    struct Decoding;

    qsizetype readSome(char* into, qsizetype size);
    void take(const char* data, qsizetype size);
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
    LineSink::Mark mark_ = LineSink::Mark::None;
    bool utf16_ = false;
    qint64 offset_ = 0;  // where the next read of a file begins
    bool atEnd_ = false;
    // Where the ASCII run at the start of the block being split ends: a line wholly before it
    // needs no further look.
    const char* asciiFrom_ = nullptr;
    const char* asciiTo_ = nullptr;
    std::unique_ptr<Splitter<char>> bytes_;
    std::unique_ptr<Splitter<char16_t>> units_;
    std::unique_ptr<Decoding> decoding_;
    std::string converted_;
    qint64 lines_ = 0;
};

#pragma once

// Room window/desktop: the desktop-services seam and its Qt side, the pacer, paste limits and
// the signals that end the window.

#include "window/errors/error_box.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

// Everything modal or outside the process goes through this seam, so handlers can be driven
// and checked without a person at the screen.

enum class MsgIcon { None, Warning, Information, Question, Critical };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

// A file dialog set up the way the product's handlers describe it. The filter uses the classic
// "Caption|pattern|Caption|pattern|" form.
struct FileDialogSettings {
    QString title;
    QString filter;
    QString fileName;
    bool multiSelect = false;
};

struct OpenFileResult {
    // Empty on cancel; one full path; or the folder, NUL, each name joined by NUL.
    QString text;
    // The composed result did not fit the dialog's result buffer.
    bool selectionTooLong = false;
};

class Desktop : public ErrorBox {
public:
    virtual MsgResult messageBox(const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // Returns the typed text, or the empty text when the user cancels.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    virtual OpenFileResult openFileDialog(const FileDialogSettings& settings) = 0;
    // Returns the chosen name, or the empty text when the user cancels.
    virtual QString saveFileDialog(const FileDialogSettings& settings) = 0;

    // One attempt each; the retry policy belongs to the callers.
    virtual bool tryClearClipboard() = 0;
    // The text in UTF-8, as other programs are handed it: half the memory of UTF-16 for a
    // copy of millions of rows, and no second copy when one pastes it.
    virtual bool trySetClipboardText(const QByteArray& utf8) = 0;

    // The pointer's vertical position on the screen, in pixels.
    virtual int pointerScreenY() = 0;

    // Long loops yield about every 16 ms (the Pacer decides); a desktop that wants every
    // re-entry point seen (a test) asks for a yield at every row instead.
    virtual bool yieldsEveryRow() const { return false; }
    // Lets pending window events run, then returns.
    virtual void yield() = 0;
    // Lets the window repaint and answer the window manager while the user's clicks and keys
    // wait for the operation to end, then returns.
    virtual void yieldWithoutInput() { yield(); }

    virtual void openUrl(const QUrl& url) = 0;

    virtual int secondsSinceMidnight() = 0;
    virtual void seedRandom(unsigned seed) = 0;
    // A fraction from 0 up to but not including 1.
    virtual double randomFraction() = 0;

    // Closing the window ends the program at once, even from inside a yielding operation.
    virtual void endProgram() = 0;

    // The error report's box: the warning icon and an OK button.
    void showWarning(const QString& text, const QString& title) final
    {
        messageBox(text, title, MsgIcon::Warning, MsgButtons::Ok);
    }
};

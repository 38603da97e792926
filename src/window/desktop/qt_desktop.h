#pragma once

#include "window/desktop/desktop.h"

#include <QPointer>
#include <QWidget>

class QDialog;

#include <random>

// The real desktop: Qt's boxes, dialogs, clipboard and event loop.
class QtDesktop final : public Desktop {
public:
    // Every box and dialog is a child of the main window, also when another program is active.
    void setMainWindow(QWidget* window) { mainWindow_ = window; }

    MsgResult messageBox(const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    OpenFileResult openFileDialog(const FileDialogSettings& settings) override;
    QString saveFileDialog(const FileDialogSettings& settings) override;
    bool tryClearClipboard() override;
    bool trySetClipboardText(const QByteArray& utf8) override;
    int pointerScreenY() override;
    void yield() override;
    void yieldWithoutInput() override;
    void openUrl(const QUrl& url) override;
    int secondsSinceMidnight() override;
    void seedRandom(unsigned seed) override;
    double randomFraction() override;
    void endProgram() override;

    // Turns the classic "Caption|pattern|…|" filter into Qt's name filter list.
    static QStringList qtNameFilters(const QString& classicFilter);
    // Turns CR LF and lone CR line breaks into the LF a Qt label shows as a line break.
    static QString displayText(const QString& text);

private:
    QWidget* dialogParent() const { return mainWindow_.data(); }

    QPointer<QWidget> mainWindow_;
    // Runs a modal dialog; a handler waits below it, as below a yield.
    int exec(QDialog& dialog);

    // Handlers on the stack below a yield or a modal box: closing the window then ends the
    // program at once rather than letting them carry on without it.
    int handlersWaiting_ = 0;
    std::mt19937 random_;
};

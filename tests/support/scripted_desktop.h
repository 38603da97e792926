#pragma once

#include "window/desktop/desktop.h"

#include <QByteArray>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The test double for the desktop. Every box is recorded exactly as asked and answered from a
// script; a box the script did not expect, or expected boxes left unanswered at the end of the
// test, fail the test. Yields can run a callback, so a click during a run is deterministic.
class ScriptedDesktop final : public Desktop {
public:
    enum class Kind { Message, Input, OpenFile, SaveFile };

    struct Box {
        Kind kind = Kind::Message;
        QString text;  // message text, input prompt, or dialog title
        QString title;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        QString defaultText;  // input default, or the dialog's file name
        QString filter;
        bool multiSelect = false;
        std::string describe() const;
    };

    ~ScriptedDesktop() override;

    // The script, answered in order.
    void expectMessage(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons,
                       MsgResult answer = MsgResult::Ok);
    // An information box under the product's title: OK, no icon.
    void expectInfo(const QString& text);
    void expectErrorReport(const QString& description, const QString& location, int step);
    void expectInput(const QString& prompt, const QString& title, const QString& defaultText,
                     const QString& answer);
    void expectOpenFile(const FileDialogSettings& settings, OpenFileResult answer);
    void expectSaveFile(const FileDialogSettings& settings, const QString& answer);
    bool scriptDone() const { return script_.empty(); }
    // Scripts, with the calls above, boxes that come before every box scripted so far: those of
    // an action taken during a yield of a longer one, which shows its own boxes at its end.
    void expectFirst(const std::function<void()>& expectations);
    // Runs as each box is shown, before it is answered (to look at the window meanwhile).
    void setOnBox(std::function<void()> callback) { onBox_ = std::move(callback); }

    // Everything shown so far, in order.
    const std::vector<Box>& shown() const { return shown_; }

    // Yields: by default every long loop yields at every row; otherwise on the real time slice.
    void setYieldEveryRow(bool everyRow) { yieldEveryRow_ = everyRow; }
    // Let window events run at each yield, as the real desktop does.
    void setProcessEventsOnYield(bool process) { processEvents_ = process; }
    int yields() const { return yields_; }
    // Of those, the yields during which the user's clicks and keys wait.
    int yieldsWithoutInput() const { return yieldsWithoutInput_; }
    // True during such a yield: a click or key made then would wait.
    bool inputWaits() const { return inputWaits_; }
    // Runs the callback during the given yield (counted from 1).
    void onYield(int number, std::function<void()> callback);
    // The user's clicks or keys made during the given yield: they run there when the yield lets
    // input run, and otherwise wait, as the window system keeps them, for the next yield that
    // does or for deliverWaitingInput() (the event loop, once the operation has returned).
    void onInput(int number, std::function<void()> callback);
    void deliverWaitingInput();

    // Clipboard: the first attempts of each kind fail.
    void setClipboardRefusals(int clearRefusals, int setRefusals);
    int clearAttempts() const { return clearAttempts_; }
    int setAttempts() const { return setAttempts_; }
    QString clipboardText() const { return QString::fromUtf8(clipboard_); }

    void setPointerScreenY(int y) { pointerY_ = y; }
    void setSecondsSinceMidnight(int seconds) { seconds_ = seconds; }
    void setRandomFraction(double fraction) { fraction_ = fraction; }
    const std::vector<unsigned>& seeds() const { return seeds_; }
    const std::vector<QUrl>& openedUrls() const { return urls_; }
    bool programEnded() const { return ended_; }

    // Desktop
    MsgResult messageBox(const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    OpenFileResult openFileDialog(const FileDialogSettings& settings) override;
    QString saveFileDialog(const FileDialogSettings& settings) override;
    bool tryClearClipboard() override;
    bool trySetClipboardText(const QByteArray& utf8) override;
    int pointerScreenY() override { return pointerY_; }
    bool yieldsEveryRow() const override { return yieldEveryRow_; }
    void yield() override;
    void yieldWithoutInput() override;
    void openUrl(const QUrl& url) override { urls_.push_back(url); }
    int secondsSinceMidnight() override { return seconds_; }
    void seedRandom(unsigned seed) override { seeds_.push_back(seed); }
    double randomFraction() override { return fraction_; }
    void endProgram() override { ended_ = true; }

private:
    struct Entry {
        Box expected;
        MsgResult messageAnswer = MsgResult::Ok;
        QString textAnswer;
        OpenFileResult openAnswer;
    };
    const Entry* answer(const Box& actual);

    std::deque<Entry> script_;
    std::function<void()> onBox_;
    Entry current_;
    std::vector<Box> shown_;
    bool yieldEveryRow_ = true;
    bool processEvents_ = false;
    int yields_ = 0;
    int yieldsWithoutInput_ = 0;
    bool inputWaits_ = false;
    std::map<int, std::function<void()>> yieldCallbacks_;
    std::map<int, std::function<void()>> inputCallbacks_;
    std::deque<std::function<void()>> waitingInput_;
    int clearRefusals_ = 0;
    int setRefusals_ = 0;
    int clearAttempts_ = 0;
    int setAttempts_ = 0;
    QByteArray clipboard_;
    int pointerY_ = 0;
    int seconds_ = 0;
    double fraction_ = 0.0;
    std::vector<unsigned> seeds_;
    std::vector<QUrl> urls_;
    bool ended_ = false;
};

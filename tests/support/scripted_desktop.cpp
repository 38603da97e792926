#include "support/scripted_desktop.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

#include <gtest/gtest.h>

namespace {

std::string Visible(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    shown.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    shown.replace(QChar(u'\0'), QLatin1String("\\0"));
    return shown.toStdString();
}

const char* KindName(ScriptedDesktop::Kind kind)
{
    switch (kind) {
    case ScriptedDesktop::Kind::Message: return "message";
    case ScriptedDesktop::Kind::Input: return "input";
    case ScriptedDesktop::Kind::OpenFile: return "open dialog";
    case ScriptedDesktop::Kind::SaveFile: return "save dialog";
    }
    return "?";
}

// The box as recorded, built the same way for what the script expects and what is shown.
ScriptedDesktop::Box MessageBox(const QString& text, const QString& title, MsgIcon icon,
                                MsgButtons buttons)
{
    return {ScriptedDesktop::Kind::Message, text, title, icon, buttons, {}, {}, false};
}

ScriptedDesktop::Box InputBox(const QString& prompt, const QString& title,
                              const QString& defaultText)
{
    return {ScriptedDesktop::Kind::Input,
            prompt,
            title,
            MsgIcon::None,
            MsgButtons::Ok,
            defaultText,
            {},
            false};
}

ScriptedDesktop::Box DialogBox(ScriptedDesktop::Kind kind, const FileDialogSettings& settings)
{
    return {kind,
            settings.title,
            {},
            MsgIcon::None,
            MsgButtons::Ok,
            settings.fileName,
            settings.filter,
            settings.multiSelect};
}

}  // namespace

std::string ScriptedDesktop::Box::describe() const
{
    std::string out =
        std::string(KindName(kind)) + " \"" + Visible(text) + "\" title \"" + Visible(title) + "\"";
    if (kind == Kind::Message)
        out += " icon " + std::to_string(static_cast<int>(icon)) + " buttons "
               + std::to_string(static_cast<int>(buttons));
    if (kind != Kind::Message)
        out += " default \"" + Visible(defaultText) + "\"";
    if (kind == Kind::OpenFile || kind == Kind::SaveFile)
        out += " filter \"" + Visible(filter) + "\" multi " + (multiSelect ? "yes" : "no");
    return out;
}

ScriptedDesktop::~ScriptedDesktop()
{
    for (const Entry& entry : script_)
        ADD_FAILURE() << "expected box never shown: " << entry.expected.describe();
}

void ScriptedDesktop::expectMessage(const QString& text, const QString& title, MsgIcon icon,
                                    MsgButtons buttons, MsgResult answer)
{
    Entry entry;
    entry.expected = MessageBox(text, title, icon, buttons);
    entry.messageAnswer = answer;
    script_.push_back(entry);
}

void ScriptedDesktop::expectInfo(const QString& text)
{
    expectMessage(text, QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::Ok);
}

void ScriptedDesktop::expectErrorReport(const QString& description, const QString& location,
                                        int step)
{
    expectMessage(description + QStringLiteral("\r\n") + location + QStringLiteral("at line ")
                      + QString::number(step)
                      + QStringLiteral("\r\rPlease email screenshot of this message to "
                                       "support@dialwright.example"),
                  QStringLiteral("Application Error"), MsgIcon::Warning, MsgButtons::Ok);
}

void ScriptedDesktop::expectInput(const QString& prompt, const QString& title,
                                  const QString& defaultText, const QString& answer)
{
    Entry entry;
    entry.expected = InputBox(prompt, title, defaultText);
    entry.textAnswer = answer;
    script_.push_back(entry);
}

void ScriptedDesktop::expectOpenFile(const FileDialogSettings& settings, OpenFileResult answer)
{
    Entry entry;
    entry.expected = DialogBox(Kind::OpenFile, settings);
    entry.openAnswer = std::move(answer);
    script_.push_back(entry);
}

void ScriptedDesktop::expectSaveFile(const FileDialogSettings& settings, const QString& answer)
{
    Entry entry;
    entry.expected = DialogBox(Kind::SaveFile, settings);
    entry.textAnswer = answer;
    script_.push_back(entry);
}

void ScriptedDesktop::expectFirst(const std::function<void()>& expectations)
{
    const auto before = static_cast<std::ptrdiff_t>(script_.size());
    expectations();
    std::rotate(script_.begin(), script_.begin() + before, script_.end());
}

const ScriptedDesktop::Entry* ScriptedDesktop::answer(const Box& actual)
{
    shown_.push_back(actual);
    if (onBox_)
        onBox_();
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected box: " << actual.describe();
        return nullptr;
    }
    current_ = script_.front();
    script_.pop_front();
    EXPECT_EQ(current_.expected.describe(), actual.describe());
    return &current_;
}

MsgResult ScriptedDesktop::messageBox(const QString& text, const QString& title, MsgIcon icon,
                                      MsgButtons buttons)
{
    const Entry* entry = answer(MessageBox(text, title, icon, buttons));
    if (entry == nullptr)
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    return entry->messageAnswer;
}

QString ScriptedDesktop::inputBox(const QString& prompt, const QString& title,
                                  const QString& defaultText)
{
    const Entry* entry = answer(InputBox(prompt, title, defaultText));
    return entry == nullptr ? QString() : entry->textAnswer;
}

OpenFileResult ScriptedDesktop::openFileDialog(const FileDialogSettings& settings)
{
    const Entry* entry = answer(DialogBox(Kind::OpenFile, settings));
    return entry == nullptr ? OpenFileResult{} : entry->openAnswer;
}

QString ScriptedDesktop::saveFileDialog(const FileDialogSettings& settings)
{
    const Entry* entry = answer(DialogBox(Kind::SaveFile, settings));
    return entry == nullptr ? QString() : entry->textAnswer;
}

void ScriptedDesktop::onYield(int number, std::function<void()> callback)
{
    yieldCallbacks_[number] = std::move(callback);
}

void ScriptedDesktop::onInput(int number, std::function<void()> callback)
{
    inputCallbacks_[number] = std::move(callback);
}

void ScriptedDesktop::setClipboardRefusals(int clearRefusals, int setRefusals)
{
    clearRefusals_ = clearRefusals;
    setRefusals_ = setRefusals;
}

bool ScriptedDesktop::tryClearClipboard()
{
    if (++clearAttempts_ <= clearRefusals_)
        return false;
    clipboard_.clear();
    return true;
}

bool ScriptedDesktop::trySetClipboardText(const QByteArray& utf8)
{
    if (++setAttempts_ <= setRefusals_)
        return false;
    clipboard_ = utf8;
    return true;
}

void ScriptedDesktop::yieldWithoutInput()
{
    ++yieldsWithoutInput_;
    const bool outer = std::exchange(inputWaits_, true);
    yield();
    inputWaits_ = outer;
}

void ScriptedDesktop::yield()
{
    ++yields_;
    if (processEvents_)
        QCoreApplication::processEvents();
    if (const auto input = inputCallbacks_.find(yields_); input != inputCallbacks_.end()) {
        waitingInput_.push_back(input->second);
        inputCallbacks_.erase(input);
    }
    if (!inputWaits_)
        deliverWaitingInput();
    const auto callback = yieldCallbacks_.find(yields_);
    if (callback != yieldCallbacks_.end()) {
        const std::function<void()> run = callback->second;
        yieldCallbacks_.erase(callback);
        run();
    }
}

void ScriptedDesktop::deliverWaitingInput()
{
    while (!waitingInput_.empty()) {
        const std::function<void()> run = waitingInput_.front();
        waitingInput_.pop_front();
        run();
    }
}

#include "window/desktop/qt_desktop.h"

#include "files/unfinished_files.h"
#include "window/desktop/open_dialog.h"
#include "window/desktop/open_result.h"
#include "window/desktop/paste_limit.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QTime>

#include <cstdio>
#include <cstdlib>
#include <limits>

int QtDesktop::exec(QDialog& dialog)
{
    ++handlersWaiting_;
    const int result = dialog.exec();
    --handlersWaiting_;
    return result;
}

QString QtDesktop::displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MsgResult QtDesktop::messageBox(const QString& text, const QString& title, MsgIcon icon,
                                MsgButtons buttons)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(title);
    box.setText(displayText(text));
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = exec(box);
    if (buttons == MsgButtons::YesNo)
        return pressed == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
    return MsgResult::Ok;
}

QString QtDesktop::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setLabelText(displayText(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    // A line edit stops at 32,767 characters and cuts a paste there without a word, so a long
    // list of numbers would lose its tail and a number be cut short. Take whatever is typed,
    // and refuse, whole and in words, a paste too long to lay out.
    for (auto* field : dialog.findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly)) {
        field->setMaxLength(std::numeric_limits<int>::max());
        new PasteLimit(field, [this, title](qsizetype would, PasteLimit::Way way) {
            messageBox(QStringLiteral("Nothing was %1: this box holds at most %2 characters, "
                                      "and the text would make it %3.\r\r"
                                      "Load long lists of numbers from a file instead.")
                           .arg(way == PasteLimit::Way::Dropped ? QStringLiteral("dropped")
                                                                : QStringLiteral("pasted"),
                                QLocale().toString(PasteLimit::kMostCharacters),
                                QLocale().toString(would)),
                       title, MsgIcon::Warning, MsgButtons::Ok);
        });
    }
    dialog.setTextValue(defaultText);
    if (exec(dialog) != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

QStringList QtDesktop::qtNameFilters(const QString& classicFilter)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    const QStringList pieces = classicFilter.split(QLatin1Char('|'));
    filters.reserve(pieces.size() / 2);
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        QString caption = pieces[i];
        caption.remove(trailingPatterns);
        QStringList patterns = pieces[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // "*.*" means every file on the classic desktop; here it would miss names without a dot.
        for (QString& pattern : patterns)
            if (pattern.trimmed() == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        filters << caption + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                       + QLatin1Char(')');
    }
    return filters;
}

OpenFileResult QtDesktop::openFileDialog(const FileDialogSettings& settings)
{
    OpenDialog dialog(dialogParent(), settings.title);
    dialog.setFileMode(settings.multiSelect ? QFileDialog::ExistingFiles
                                            : QFileDialog::ExistingFile);
    dialog.setNameFilters(qtNameFilters(settings.filter));
    if (!settings.fileName.isEmpty())
        dialog.selectFile(settings.fileName);
    if (exec(dialog) != QDialog::Accepted)
        return {};
    return ComposeOpenResult(dialog.chosen());
}

QString QtDesktop::saveFileDialog(const FileDialogSettings& settings)
{
    QFileDialog dialog(dialogParent(), settings.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The writers ask their own overwrite question and take the name exactly as chosen.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(qtNameFilters(settings.filter));
    if (!settings.fileName.isEmpty())
        dialog.selectFile(settings.fileName);
    if (exec(dialog) != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

bool QtDesktop::tryClearClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    clipboard->clear(QClipboard::Clipboard);
    return true;
}

bool QtDesktop::trySetClipboardText(const QByteArray& utf8)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    // Plain text held as bytes is handed out as they are, for every text target a program may
    // ask for; both names share the one buffer.
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), utf8);
    data->setData(QStringLiteral("text/plain;charset=utf-8"), utf8);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    if (clipboard->ownsClipboard())
        return true;
    const QMimeData* held = clipboard->mimeData(QClipboard::Clipboard);
    return held != nullptr && held->data(QStringLiteral("text/plain")) == utf8;
}

int QtDesktop::pointerScreenY()
{
    return QCursor::pos().y();
}

void QtDesktop::yield()
{
    ++handlersWaiting_;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --handlersWaiting_;
}

void QtDesktop::yieldWithoutInput()
{
    ++handlersWaiting_;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    --handlersWaiting_;
}

void QtDesktop::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

int QtDesktop::secondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000;
}

void QtDesktop::seedRandom(unsigned seed)
{
    random_.seed(seed);
}

double QtDesktop::randomFraction()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_);
}

void QtDesktop::endProgram()
{
    if (handlersWaiting_ == 0) {
        QCoreApplication::quit();
        return;
    }
    // A handler is still on the stack below this yield or box; unwinding it would carry on its
    // work after the window is gone. Nothing is kept between runs, so stop here, leaving no
    // half-written save behind.
    UnfinishedFiles::RemoveAll();
    std::fflush(nullptr);
    std::_Exit(0);
}

#include "window/form1.h"

#include "files/rule_file.h"
#include "window/errors/procedure.h"

#include <QFile>
#include <QLocale>

#include <cstring>

// Rule files are loaded the way phone-number files are, so a folder or an unreadable file is
// reported in the same words and at the same steps. The rules of one load are one step to undo.
void Form1::LoadRuleFiles(const QList<QByteArray>& names)
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton3_Click "));
    ListHistory::Appending appending(history_, ListView2->items());
    proc.step(114, [&] { setPointer(Pointer::Hourglass); });
    for (const QByteArray& name : names)
        proc.step(134, [&] { AddRulesFromFile(name); });
    proc.step(138, [&] { setPointer(Pointer::Default); });
    appending.record();
}

// Appends a file's rules after the existing ones and says which of its lines were not rules.
// A file that cannot be read gets one box that names it and says why.
void Form1::AddRulesFromFile(const QByteArray& name)
{
    const RuleFile::Contents contents = RuleFile::Read(name);
    const QString path = QFile::decodeName(name);
    if (contents.error.has_value()) {
        const int error = contents.error->systemError();
        const QString why = error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                            : contents.error->code() == ErrorCode::PathFileAccessError
                                ? QStringLiteral("Not a regular file (the window reads no "
                                                 "pipe, device or socket)")
                                : contents.error->description();
        MsgBox(QStringLiteral("No rules could be read from %1: %2.").arg(path, why));
        return;
    }
    AppendRules(contents.rules);
    const QLocale locale;
    if (contents.skippedLines == 1)
        MsgBox(QStringLiteral("1 line of %1 was not a rule and was skipped: %2.")
                   .arg(path, RuleFile::SkippedLinesText(contents, locale)));
    else if (contents.skippedLines > 1)
        MsgBox(QStringLiteral("%1 lines of %2 were not rules and were skipped: %3.")
                   .arg(locale.toString(static_cast<qlonglong>(contents.skippedLines)), path,
                        RuleFile::SkippedLinesText(contents, locale)));
}

// Like the sample data, loaded rules skip the duplicate test: the file's order is kept whole.
void Form1::AppendRules(const QList<RuleFile::Rule>& loaded)
{
    ListModel& rules = ListView2->items();
    const qsizetype first = rules.count();
    // One announcement for all the rows, then their patterns.
    for (const RuleFile::Rule& rule : loaded)
        rules.appendDeferred(rule.length);
    rules.flushAppends();
    for (qsizetype i = 0; i < loaded.size(); ++i)
        rules.setSubItem(first + i, 1, loaded[i].pattern);
}

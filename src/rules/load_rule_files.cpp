#include "app/form1.h"

#include "app/errors/procedure.h"
#include "rules/rule_file.h"

// Rule files are loaded the way phone-number files are, so a folder or an unreadable file is
// reported in the same words and at the same steps. The rules of one load are one step to undo.
void Form1::LoadRuleFiles(const QStringList& paths)
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton3_Click "));
    ListHistory::Appending appending(history_, ListView2->items());
    proc.step(114, [&] { setPointer(Pointer::Hourglass); });
    for (const QString& path : paths)
        proc.step(134, [&] { AddRulesFromFile(path); });
    proc.step(138, [&] { setPointer(Pointer::Default); });
    appending.record();
}

// Appends a file's rules after the existing ones and says how many of its lines were not
// rules. A missing file gets its own message; other failures pass to the caller.
void Form1::AddRulesFromFile(const QString& path)
{
    const RuleFile::Contents contents = RuleFile::Read(path);
    if (contents.error.has_value()) {
        if (contents.error->code() == ErrorCode::FileNotFound) {
            MsgBox(QStringLiteral("File not found"));
            return;
        }
        throw *contents.error;
    }
    AppendRules(contents.rules);
    if (contents.skippedLines == 1)
        MsgBox(QStringLiteral("1 line of %1 was not a rule and was skipped.").arg(path));
    else if (contents.skippedLines > 1)
        MsgBox(QStringLiteral("%1 lines of %2 were not rules and were skipped.")
                   .arg(contents.skippedLines)
                   .arg(path));
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

#include "window/form1.h"

#include "core/spaces.h"
#include "window/errors/procedure.h"

// "Add Phone Number or Numbers": every comma-separated part of the answer becomes one item,
// trimmed of spaces; empty parts are kept.
void Form1::PushButton1_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton1_Click "));
    QString answer;
    proc.step(100, [&] {
        answer = desktop_.inputBox(QStringLiteral("Enter phone number or numbers (use commas): "),
                                   QStringLiteral("Add Phone Number"), QString());
    });
    if (answer.isEmpty())  // 102
        return;
    QStringList parts;
    proc.step(104, [&] { parts = answer.split(QLatin1Char(',')); });
    if (parts.isEmpty())  // 106
        return;
    const qsizetype firstRow = ListView1->count();
    for (const QString& part : parts) {  // 108, 114
        QString number;
        proc.step(110, [&] { number = TrimSpaces(part); });
        proc.step(112, [&] { ListView1->items().append(number); });
    }
    RecordAppends(*ListView1, firstRow);
}

// "Load Sample/Example Data" beside the phone list: three numbers and the two rules they need.
void Form1::PushButton11_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton11_Click "));
    ListModel& phones = ListView1->items();
    ListModel& rules = ListView2->items();
    const qsizetype firstPhone = phones.count();
    const qsizetype firstRule = rules.count();
    proc.step(100, [&] { phones.append(QStringLiteral("6034343563")); });
    proc.step(102, [&] { phones.append(QStringLiteral("7173933292")); });
    proc.step(104, [&] { phones.append(QStringLiteral("7978118")); });
    qsizetype rule = -1;
    proc.step(106, [&] { rule = rules.append(QStringLiteral("10")); });
    proc.step(108, [&] { rules.setSubItem(rule, 1, QStringLiteral("xxx-xxx-xxxx")); });
    rule = -1;
    proc.step(110, [&] { rule = rules.append(QStringLiteral("7")); });
    proc.step(112, [&] { rules.setSubItem(rule, 1, QStringLiteral("xxx/xxxx")); });
    RecordAppends({{ListView1, firstPhone}, {ListView2, firstRule}});
}

// The second "Load Sample/Example Data" button, under the rule list, does the same.
void Form1::PushButton10_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton10_Click "));
    proc.step(100, [&] { PushButton11_Click(); });
}

// "Clear List" under the phone list; it holds back while an operation is under way.
void Form1::PushButton4_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton4_Click "));
    proc.step(100, [&] {
        if (!isBusy())
            ClearList(*ListView1);
    });
}

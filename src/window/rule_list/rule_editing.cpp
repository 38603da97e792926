#include "window/form1.h"

#include "core/decimal_number.h"
#include "core/spaces.h"
#include "window/errors/procedure.h"

// "Add Length and Format Combo": asks for a length, then a pattern, and appends the rule.
// Rejected answers end the operation silently; only a duplicate length is answered.
void Form1::PushButton13_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton13_Click "));
    QString length;
    proc.step(100, [&] {
        length = desktop_.inputBox(QStringLiteral("Enter length of phone: "),
                                   QStringLiteral("Input Length"), QString());
    });
    if (length.isEmpty())  // 102
        return;
    bool numeric = false;
    proc.step(104, [&] { numeric = IsNumeric(length); });
    if (!numeric)
        return;
    bool duplicate = false;
    proc.step(106, [&] { duplicate = IsLengthInRuleList(length); });
    if (duplicate) {
        proc.step(108, [&] { MsgBox(QStringLiteral("Inputted length is already in the list.")); });
        return;
    }
    QString pattern;
    proc.step(110, [&] {
        pattern = desktop_.inputBox(QStringLiteral("Enter phone format: "),
                                    QStringLiteral("Input Format"), QStringLiteral("xxx-xxxx"));
    });
    if (TrimSpaces(pattern).isEmpty())  // 112
        return;
    qsizetype row = -1;
    const qsizetype firstRow = ListView2->count();
    proc.step(114, [&] { row = ListView2->items().append(length); });
    proc.step(116, [&] { ListView2->items().setSubItem(row, 1, pattern); });
    RecordAppends(*ListView2, firstRow);
}

// Exact, case-sensitive comparison of the length texts; 7, 07 and " 7" are different rules here.
bool Form1::IsLengthInRuleList(const QString& lengthText) const
{
    const ListModel& rules = ListView2->items();
    for (qsizetype row = 0, n = rules.count(); row < n; ++row)
        if (rules.text(row) == lengthText)
            return true;
    return false;
}

// "Delete Selected" on the rule list. With rows but none selected there is nothing to remove.
void Form1::PushButton14_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton14_Click "));
    bool hasRows = false;
    proc.step(100, [&] { hasRows = ListView2->count() > 0; });
    if (!hasRows)
        return;
    proc.step(102, [&] { RemoveSelectedRow(*ListView2); });
}

// "Clear List" under the rule list.
void Form1::PushButton15_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton15_Click "));
    proc.step(100, [&] { ClearList(*ListView2); });
}

// Double-clicking the rule list removes the selected rule, unless an operation is under way.
void Form1::ListView2_DblClick()
{
    if (!isBusy())
        RemoveSelectedRow(*ListView2);
}

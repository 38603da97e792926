#pragma once

#include <QString>

// Where the error report says a step failed: the product's own location texts.
inline const QString kFormLoad = QStringLiteral("in Tessaline2021/08/31.Form1.Form_Load ");
inline const QString kSaveCommaClick =
    QStringLiteral("in Tessaline2021/08/31.Form1.PushButton2_Click ");
inline const QString kLoadClick = QStringLiteral("in Tessaline2021/08/31.Form1.PushButton3_Click ");
inline const QString kRunClick = QStringLiteral("in Tessaline2021/08/31.Form1.PushButton7_Click ");
inline const QString kCopyClick = QStringLiteral("in Tessaline2021/08/31.Form1.PushButton8_Click ");
inline const QString kAddRuleClick =
    QStringLiteral("in Tessaline2021/08/31.Form1.PushButton13_Click ");
inline const QString kCommaWriter =
    QStringLiteral("in Tessaline2021/08/31.SaveComma.SaveListviewAsCommaDelimToFile ");
inline const QString kAlignedWriter =
    QStringLiteral("in Tessaline2021/08/31.SaveList.SaveListviewProperlySpaced ");

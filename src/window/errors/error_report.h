#pragma once

#include <QString>

class ErrorBox;

inline constexpr char16_t kSupportAddress[] = u"support@dialwright.example";

// The report's text: description, CR LF, location, "at line ", step, CR CR, support sentence.
QString ErrorReportText(const QString& description, const QString& location, int step);

// Shows the "Application Error" box and returns when the user closes it.
void ShowErrorReport(ErrorBox& box, const QString& description, const QString& location, int step);

#include "app/errors/error_report.h"

#include "app/desktop/desktop.h"

QString ErrorReportText(const QString& description, const QString& location, int step)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ")
           + QString::number(step) + QStringLiteral("\r\r")
           + QStringLiteral("Please email screenshot of this message to ")
           + QString::fromUtf16(kSupportAddress);
}

void ShowErrorReport(Desktop& desktop, const QString& description, const QString& location,
                     int step)
{
    desktop.messageBox(ErrorReportText(description, location, step),
                       QStringLiteral("Application Error"), MsgIcon::Warning, MsgButtons::Ok);
}

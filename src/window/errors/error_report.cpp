#include "window/errors/error_report.h"

#include "window/errors/error_box.h"

QString ErrorReportText(const QString& description, const QString& location, int step)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ")
           + QString::number(step) + QStringLiteral("\r\r")
           + QStringLiteral("Please email screenshot of this message to ")
           + QString::fromUtf16(kSupportAddress);
}

void ShowErrorReport(ErrorBox& box, const QString& description, const QString& location, int step)
{
    box.showWarning(ErrorReportText(description, location, step),
                    QStringLiteral("Application Error"));
}

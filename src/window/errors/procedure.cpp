#include "window/errors/procedure.h"

#include "window/errors/error_report.h"

Procedure::Procedure(ErrorBox& box, QString location) : box_(box), location_(std::move(location)) {}

void Procedure::report(int number, const QString& description)
{
    if (!shown_.emplace(number, description).second)
        return;
    if (beforeBox_)
        beforeBox_();
    ShowErrorReport(box_, description, location_, number);
}

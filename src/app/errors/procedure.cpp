#include "app/errors/procedure.h"

#include "app/errors/error_report.h"

Procedure::Procedure(Desktop& desktop, QString location)
    : desktop_(desktop), location_(std::move(location))
{
}

void Procedure::report(int number, const QString& description)
{
    if (!shown_.emplace(number, description).second)
        return;
    ShowErrorReport(desktop_, description, location_, number);
}

#pragma once

#include <QByteArray>
#include <QList>

// Formats without a window: reads the rules and the inputs named on the command line and writes
// the results (see FormatOptions). Creates no application object and needs no display. Returns
// the exit status: 0 when all went well, 1 when an input or the output failed, 2 for usage.
int RunFormatCommand(const QList<QByteArray>& arguments);

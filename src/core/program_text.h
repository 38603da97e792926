#pragma once

#include <QString>

// What the program says of itself on its command line, the same for the window's options and
// for formatting without a window.
QString HelpText();
QString VersionText();
// A short usage message for a command line that could not be read.
QString UsageText(const QString& problem);

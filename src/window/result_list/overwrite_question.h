#pragma once

#include <QString>

class Desktop;

// True when the file does not exist yet, or the user answers Yes to replacing it.
bool ConfirmOverwrite(Desktop& desktop, const QString& applicationTitle, const QString& fileName);

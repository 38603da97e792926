#pragma once

#include "window/desktop/desktop.h"

#include <QStringList>

// The open dialog's result buffer holds this many characters for the folder and all names.
inline constexpr qsizetype kOpenResultCapacity = 30000;

// Composes the open dialog's classic result text from the chosen files: one full path, or the
// folder followed by each name, the pieces separated by NUL.
OpenFileResult ComposeOpenResult(const QStringList& absolutePaths);

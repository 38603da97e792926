#pragma once

#include <QByteArray>

// Temporary files that a save has begun and not yet put in place. Closing the window ends the
// program at once, even in the middle of a save; it removes these first, so nothing is left
// beside the file the user meant to save.
namespace UnfinishedFiles {

void Add(const QByteArray& path);
void Forget(const QByteArray& path);
void RemoveAll();

}  // namespace UnfinishedFiles

#pragma once

#include <QStringList>

class QMimeData;

// The local files and folders a drag carries, in its order; empty for anything else (text,
// web addresses), which the lists do not take.
QStringList DroppedLocalPaths(const QMimeData* data);

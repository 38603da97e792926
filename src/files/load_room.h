#pragma once

#include <QtGlobal>

// Whether a file of that size can become rows in the room, leaving the window enough to go on
// working. Unknown room (-1) never refuses. Deciding before reading keeps a file larger than
// memory from being read for minutes and then ending the program through the kernel's
// out-of-memory killer.
bool LoadFits(qint64 fileSize, qint64 room);

// Whether a load that has taken that many bytes so far is still within the room (-1: unknown).
bool StillFits(qint64 taken, qint64 room);

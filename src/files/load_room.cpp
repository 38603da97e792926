#include "files/load_room.h"

#include "files/text_lines.h"

#include <limits>

bool StillFits(qint64 taken, qint64 room)
{
    // Loading holds a few blocks of the file, and the window needs room to go on working.
    constexpr qint64 kHeadroom = qint64(64) << 20;
    return room < 0 || taken <= room - kHeadroom - 4 * kLoadBlock;
}

bool LoadFits(qint64 fileSize, qint64 room)
{
    // An eight-bit list takes a byte a character and four bytes a row, and a phone number with
    // its line end is a dozen bytes.
    if (fileSize > std::numeric_limits<qint64>::max() / 2)
        return room < 0;
    return StillFits(fileSize + fileSize / 3, room);
}

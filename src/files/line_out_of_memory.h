#pragma once

#include <QtGlobal>

// A pass ran out of memory on a line of its input, counted from 1: the line it was given, or
// for a record of several lines the one the record starts on.
struct LineOutOfMemory {
    qint64 line;
};

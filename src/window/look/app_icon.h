#pragma once

#include <QIcon>

// The window's icon, drawn so the program needs no image file to show it.
QIcon AppIcon();

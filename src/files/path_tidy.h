#pragma once

#include <QString>

// Every run of slashes becomes one, so joining a folder that ends with "/" (the root) with a
// name gives a clean path. Backslashes are ordinary characters of a name here and stay.
QString FixDoubleSlashes(const QString& path);

#pragma once

#include <QString>

// Collapses doubled backslashes left to right, pairs not overlapping; a path that starts with
// backslashes starts with exactly two, as a network path needs.
QString FixDoubleBackslashes(const QString& path);

// The same tidy for "/" paths: every run of slashes becomes one, so joining a folder that ends
// with "/" (the root) with a name gives a clean path.
QString FixDoubleSlashes(const QString& path);

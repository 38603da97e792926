#pragma once

#include <QString>

#include <vector>

// Phone texts for the big-list figures: 70% ten digits, 20% seven digits, 10% other text,
// the same every run.
std::vector<QString> MakePhoneTexts(size_t count);

// Writes that many phone texts to a file, CR LF after each (a million make about 12 MB).
void WritePhoneFile(const QString& path, size_t count);

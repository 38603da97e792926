#pragma once

#include <QLatin1StringView>
#include <QStringView>

// A text's length in characters, as column widths count it: a character outside the Basic
// Multilingual Plane (an emoji) is one, though it takes two UTF-16 units.
qsizetype CharacterCount(QStringView text);
inline qsizetype CharacterCount(QLatin1StringView text)
{
    return text.size();
}

#pragma once

#include <QString>
#include <QStringView>

// The text without the spaces at both ends, and only spaces: a TAB typed into an answer stays.
inline QStringView SpacesTrimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.sliced(begin, end - begin);
}

inline QString TrimSpaces(QStringView text)
{
    return SpacesTrimmed(text).toString();
}

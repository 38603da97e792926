#pragma once

#include <QString>
#include <QStringView>

// Removes spaces, and only spaces, from both ends: a TAB typed into an answer stays.
inline QString TrimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin).toString();
}

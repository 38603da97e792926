#include "files/path_tidy.h"

namespace {

QString CollapsePairs(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out.append(text[i]);
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\\'))
            ++i;
    }
    return out;
}

}  // namespace

QString FixDoubleBackslashes(const QString& path)
{
    if (!path.startsWith(QLatin1Char('\\')))
        return CollapsePairs(path);
    qsizetype first = 1;
    while (first < path.size() && path[first] == QLatin1Char('\\'))
        ++first;
    return QStringLiteral("\\\\") + CollapsePairs(QStringView(path).mid(first));
}

QString FixDoubleSlashes(const QString& path)
{
    QString out;
    out.reserve(path.size());
    for (const QChar c : path)
        if (c != QLatin1Char('/') || !out.endsWith(QLatin1Char('/')))
            out.append(c);
    return out;
}

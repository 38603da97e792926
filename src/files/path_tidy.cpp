#include "files/path_tidy.h"

QString FixDoubleSlashes(const QString& path)
{
    QString out;
    out.reserve(path.size());
    for (const QChar c : path)
        if (c != QLatin1Char('/') || !out.endsWith(QLatin1Char('/')))
            out.append(c);
    return out;
}

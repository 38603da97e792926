#include "window/look/application_title.h"

QString MakeApplicationTitle(const QString& productName)
{
    QString title = productName;
    while (title.size() > kApplicationTitleLimit) {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            return title.left(kApplicationTitleLimit - 1) + QChar(u'\u2026');
        title.truncate(blank);
    }
    return title;
}

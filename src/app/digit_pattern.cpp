#include "app/digit_pattern.h"

#include <algorithm>

bool IsDigitString(QStringView text)
{
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; });
}

QString ApplyDigitPattern(const QString& text, QStringView pattern)
{
    if (!IsDigitString(text))
        return text;
    const qsizetype places = pattern.count(QLatin1Char('#'));
    if (places == 0)
        return text;

    const qsizetype digits = text.size();
    // The leftmost place takes every digit the other places leave over.
    const qsizetype firstPlaceTakes = std::max<qsizetype>(0, digits - (places - 1));

    QString out;
    out.reserve(pattern.size() - 1 + std::max<qsizetype>(firstPlaceTakes, 1));
    const QChar* digit = text.constData();
    qsizetype place = 0;
    for (const QChar c : pattern) {
        if (c != QLatin1Char('#')) {
            out.append(c);
            continue;
        }
        if (place == 0) {
            out.append(digit, firstPlaceTakes);
        } else {
            // Counted from the right, this place takes digit number (places - place).
            const qsizetype source = digits - (places - place);
            if (source >= 0)
                out.append(digit[source]);
        }
        ++place;
    }
    return out;
}

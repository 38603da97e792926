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
    if (!IsDigitString(text) || !pattern.contains(QLatin1Char('#')))
        return text;
    QString out;
    ApplyDigitPatternTo(out, text, pattern);
    return out;
}

void ApplyDigitPatternTo(QString& out, QStringView text, QStringView pattern)
{
    out.resize(0);
    const qsizetype places = IsDigitString(text) ? pattern.count(QLatin1Char('#')) : 0;
    if (places == 0) {
        out.append(text);
        return;
    }

    const qsizetype digits = text.size();
    // The leftmost place takes every digit the other places leave over.
    const qsizetype firstPlaceTakes = std::max<qsizetype>(0, digits - (places - 1));

    // At most every literal, the first place's digits and one digit for each other place.
    out.resize(pattern.size() - 1 + std::max<qsizetype>(firstPlaceTakes, 1));
    QChar* write = out.data();
    const QChar* digit = text.constData();
    qsizetype place = 0;
    for (const QChar c : pattern) {
        if (c != QLatin1Char('#')) {
            *write++ = c;
            continue;
        }
        if (place == 0) {
            write = std::copy(digit, digit + firstPlaceTakes, write);
        } else {
            // Counted from the right, this place takes digit number (places - place).
            const qsizetype source = digits - (places - place);
            if (source >= 0)
                *write++ = digit[source];
        }
        ++place;
    }
    out.truncate(write - out.constData());
}

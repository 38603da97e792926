#include "core/row_mark.h"

namespace {

QString Characters(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 character") : QStringLiteral("%1 characters").arg(count);
}

}  // namespace

QString RowMarkReason(RowMark mark, qsizetype characters)
{
    switch (mark) {
    case RowMark::None: return {};
    case RowMark::NoRule:
        return QStringLiteral("No rule for %1: copied unchanged").arg(Characters(characters));
    case RowMark::NotANumber: return QStringLiteral("Not a number: copied unchanged");
    case RowMark::NoDigitPlaces:
        return QStringLiteral("The rule for %1 has no x in its pattern: copied unchanged")
            .arg(Characters(characters));
    }
    return {};
}

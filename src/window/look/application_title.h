#pragma once

#include <QString>

inline constexpr char16_t kProductName[] = u"Dialwright";
inline constexpr qsizetype kApplicationTitleLimit = 40;

// The product name cut at word boundaries to at most 40 characters. A name that still has no
// blank to cut at is cut after 39 characters and ends in an ellipsis, so it stays readable.
QString MakeApplicationTitle(const QString& productName);

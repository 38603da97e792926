#pragma once

#include <QColor>

// The contrast ratio of a colour shown on an opaque background, as the accessibility guidelines
// (WCAG) define it: from 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& foreground, const QColor& background);

// The contrast that text must reach against its background to be read comfortably (WCAG AA).
inline constexpr double kReadableContrast = 4.5;

// A colour for text meant to look fainter than `text` on `base`: of the colours between the two,
// the one nearest to `base` that still reaches the readable contrast against it; `text` itself
// when even that does not.
QColor FaintText(const QColor& text, const QColor& base);

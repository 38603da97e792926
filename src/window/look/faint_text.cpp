#include "window/look/faint_text.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

double Linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : qPow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

// `steps` of 255 of the way from `from` to `to`, channel by channel.
QColor Between(const QColor& from, const QColor& to, int steps)
{
    const auto channel = [steps](int a, int b) {
        return a + ((b - a) * steps + 127 * (b > a ? 1 : -1)) / 255;
    };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

}  // namespace

double ContrastRatio(const QColor& foreground, const QColor& background)
{
    const QColor under = background.toRgb();
    const QColor over = foreground.toRgb();
    // A translucent foreground shows the background through it.
    const double alpha = over.alphaF();
    const auto blend = [alpha](int top, int bottom) {
        return static_cast<int>(std::lround(top * alpha + bottom * (1 - alpha)));
    };
    const double first =
        Luminance(QColor(blend(over.red(), under.red()), blend(over.green(), under.green()),
                         blend(over.blue(), under.blue())));
    const double second = Luminance(under);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor FaintText(const QColor& text, const QColor& base)
{
    const QColor opaqueBase = base.toRgb();
    const QColor shown = text.toRgb();
    const double alpha = shown.alphaF();
    const QColor opaqueText = Between(opaqueBase, QColor(shown.red(), shown.green(), shown.blue()),
                                      static_cast<int>(std::lround(alpha * 255)));
    if (ContrastRatio(opaqueText, opaqueBase) <= kReadableContrast)
        return opaqueText;
    // The contrast grows from the base towards the text: the fewest steps that reach it.
    int low = 0;
    int high = 255;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (ContrastRatio(Between(opaqueBase, opaqueText, middle), opaqueBase) >= kReadableContrast)
            high = middle;
        else
            low = middle + 1;
    }
    return Between(opaqueBase, opaqueText, low);
}

#include "framework/qt/fitted_font.h"

namespace {

constexpr qreal kSmallestPoints = 5;
constexpr int kNarrowings[] = {QFont::SemiCondensed, QFont::Condensed, QFont::ExtraCondensed};

}  // namespace

QFont FitFont(QFont font, bool narrowFirst, const std::function<bool(const QFontMetricsF&)>& fits) {
    if (fits(QFontMetricsF(font)))
        return font;
    if (narrowFirst) {
        for (const int stretch : kNarrowings) {
            font.setStretch(stretch);
            if (fits(QFontMetricsF(font)))
                return font;
        }
    }
    while (font.pointSizeF() - 0.5 >= kSmallestPoints) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        if (fits(QFontMetricsF(font)))
            return font;
    }
    return font;
}

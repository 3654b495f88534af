#include "framework/qt/fitted_font.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

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

// Qt keeps two pixels each side of the text, and one more for the cursor and one for rounding.
qreal TextRoom(const QLineEdit& field) {
    const int frame =
        field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &field)
                         : 0;
    return field.width() - 2 * frame - 2 * 2 - 2;
}

void FitCaptions(const std::vector<QPushButton*>& buttons) {
    if (buttons.empty())
        return;
    const QStyle* style = buttons.front()->style();
    const int padding = style->pixelMetric(QStyle::PM_ButtonMargin) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QFont font =
        FitFont(buttons.front()->font(), false, [&buttons, padding](const QFontMetricsF& metrics) {
            return std::all_of(buttons.begin(), buttons.end(), [&](const QPushButton* button) {
                return metrics.horizontalAdvance(button->text()) + padding <= button->width();
            });
        });
    for (QPushButton* button : buttons)
        button->setFont(font);
}

// Dialog units as Windows measures them: a horizontal unit is a quarter of the font's average
// character width, a vertical one an eighth of its height.
#pragma once

#include <QFontMetrics>
#include <QRect>

#include "framework/afx_types.h"

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        baseX_ = (letters / 26 + 1) / 2;
        baseY_ = metrics.height();
    }
    int X(int units) const { return (units * baseX_ + 2) / 4; }
    int Y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect Rect(const RECT& area) const {
        return {X(area.left), Y(area.top), X(area.right) - X(area.left),
                Y(area.bottom) - Y(area.top)};
    }

  private:
    int baseX_ = 1;
    int baseY_ = 1;
};

#include "framework/win32/fitted_font.h"

#include <windows.h>

namespace {

constexpr int kSmallestHalfPoints = 10;
// Semi-condensed, condensed and extra-condensed, in thousandths of the face's own width.
constexpr int kNarrowings[] = {875, 750, 625};

}  // namespace

HFONT FitFont(HFONT font, const std::function<bool(HFONT)>& fits) {
    LOGFONTW shape{};
    GetObjectW(font, sizeof shape, &shape);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    TEXTMETRICW metrics{};
    const HGDIOBJ kept = SelectObject(screen, font);
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, kept);
    ReleaseDC(nullptr, screen);

    HFONT candidate = nullptr;
    const auto tryShape = [&](const LOGFONTW& tried) {
        if (candidate != nullptr)
            DeleteObject(candidate);
        candidate = CreateFontIndirectW(&tried);
        return fits(candidate);
    };
    if (tryShape(shape))
        return candidate;
    // A width of zero is the face's own; a width given stretches or narrows its glyphs.
    const int fullWidth = metrics.tmAveCharWidth;
    for (const int narrowing : kNarrowings) {
        shape.lfWidth = MulDiv(fullWidth, narrowing, 1000);
        if (tryShape(shape))
            return candidate;
    }
    // The height of the characters in pixels, without the leading above them: the dialog
    // manager gives it so, as a negative height.
    const int fullHeight =
        shape.lfHeight < 0 ? -shape.lfHeight : metrics.tmHeight - metrics.tmInternalLeading;
    const int narrowest = shape.lfWidth;
    for (int halfPoints = MulDiv(fullHeight, 144, dpi) - 1; halfPoints >= kSmallestHalfPoints;
         --halfPoints) {
        const int height = MulDiv(halfPoints, dpi, 144);
        shape.lfHeight = -height;
        shape.lfWidth = MulDiv(narrowest, height, fullHeight);
        if (tryShape(shape))
            return candidate;
    }
    return candidate;
}

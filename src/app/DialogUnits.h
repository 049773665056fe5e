#pragma once
// Window geometry in dialog units, converted with a font's metrics: a horizontal unit is
// a quarter of the font's average character width, a vertical unit an eighth of its
// height.

#include "driver/Commands.h"

#include <QFont>
#include <QRect>
#include <QSize>

namespace tavu::app {

class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);

    int X(int du) const { return DuToPixelsX(du, baseX_); }
    int Y(int du) const { return DuToPixelsY(du, baseY_); }
    int ToDuX(int pixels) const { return PixelsToDuX(pixels, baseX_); }
    int ToDuY(int pixels) const { return PixelsToDuY(pixels, baseY_); }
    QRect Rect(const DuRect& r) const { return QRect(X(r.x), Y(r.y), X(r.w), Y(r.h)); }
    QSize Size(int w, int h) const { return QSize(X(w), Y(h)); }
    // The client size of a window whose outer size the layout gives.
    QSize ClientOfWindow(int w, int h) const { return Size(w - FrameWidthDu, h - FrameHeightDu); }
    // The outer size in dialog units of a window whose client is this many pixels.
    int WindowWidthDu(int clientPixels) const { return ToDuX(clientPixels) + FrameWidthDu; }
    int WindowHeightDu(int clientPixels) const { return ToDuY(clientPixels) + FrameHeightDu; }

private:
    int baseX_ = 4;
    int baseY_ = 8;
};

} // namespace tavu::app

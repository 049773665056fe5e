#include "app/DialogUnits.h"

#include <QFontMetrics>

namespace tavu::app {

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = std::max(1, AverageCharWidth(letters));
    baseY_ = std::max(1, fm.height());
}

} // namespace tavu::app

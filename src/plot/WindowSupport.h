#pragma once
// What every window of the program shares: a place inside the screen, Escape to close,
// the fixed-pitch font of model text and listings, and the settings remembered between
// runs.

#include <QFont>
#include <QRect>
#include <memory>

class QSettings;
class QWidget;

namespace tavu::plot {

// The system's fixed-pitch font at this size.
QFont FixedPitchFont(int points);

// Puts the window where its client area would be `wanted` (screen coordinates), as large
// as that but no larger than the available area of its screen leaves room for with the
// frame, and never smaller than its minimum size; moved the least that keeps the whole
// frame on the screen. The frame is estimated until the window shows, then measured and
// the place checked once more.
void PlaceOnScreen(QWidget* window, const QRect& wanted);

// Escape closes the window, whichever of its controls has the focus.
void CloseOnEscape(QWidget* window);

// The program's settings, in the user's configuration folder.
std::unique_ptr<QSettings> ProgramSettings();

// The keys of what is remembered.
inline constexpr const char* MainGeometryKey = "mainWindow/geometry";
inline constexpr const char* WrapLinesKey = "editor/wrapLines";
inline constexpr const char* RecentFilesKey = "files/recent";
inline constexpr const char* MagnificationKey = "plot/magnification";
inline constexpr const char* SolverKey = "solve/factorization";

} // namespace tavu::plot

#pragma once
// What the main window calls for plotting and printing.

class QWidget;

namespace tavu {

struct Analysis;

// Opens (or raises) the plot window over the main window: the model, and its deformed
// shape when deformation is true and results exist.
void ShowPlotWindow(Analysis& a, QWidget* mainWindow, bool deformation);

// Prints the model text (asks for a printer every time).
void PrintModelText(Analysis& a, QWidget* parent);

// Prints one result listing (kind 1..4); the printer is asked for once per program run.
void PrintResultListing(const Analysis& a, int kind, bool averageStresses, QWidget* parent);

} // namespace tavu

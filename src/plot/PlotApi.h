#pragma once
// What the main window calls for plotting and printing.

#include <string>
#include <string_view>

class QWidget;

namespace tavu {

struct Analysis;

// Opens (or raises) the plot window over the main window: the model, and its deformed
// shape when deformation is true and results exist. A model not read yet is read first;
// its lines are split again from the editor text when LinesStale is set.
void ShowPlotWindow(Analysis& a, QWidget* mainWindow, bool deformation,
                    std::string_view editorText);

// Opens (or raises) the plot window of a solved model on the view of a result listing
// (kind 1..4): the deformed shape for deflections and reactions, the moments for beam
// forces, the von Mises stress for quad stresses.
void ShowPlotOfListing(Analysis& a, QWidget* mainWindow, int kind);

// Closes the plot window when it is open (Quit).
void ClosePlotWindow();

// Prints the model text (the caller has asked whether to print; asks for a printer every
// time). The lines are split again from the editor text (CR LF line ends) when LinesStale is
// set; modelFileName heads every page.
void PrintModelText(Analysis& a, QWidget* parent, std::string_view editorText,
                    const std::string& modelFileName);

// Prints one result listing (kind 1..4); the printer is asked for once per program run.
void PrintResultListing(const Analysis& a, int kind, bool averageStresses, QWidget* parent,
                        const std::string& modelFileName);

} // namespace tavu

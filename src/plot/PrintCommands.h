#pragma once
// The print commands' dialogs behind a seam, so tests can answer them: the print dialog
// and attaching the printer chosen before by its name.

#include "results/PrintLayout.h"

#include <QString>
#include <functional>

class QPlainTextEdit;
class QPrinter;
class QWidget;

namespace tavu::plot {

struct PrintDialogs
{
    // The print dialog: sets up the printer and gives the chosen printer's name (empty
    // for output to a file). False when the user cancels.
    std::function<bool(QPrinter& printer, QWidget* parent, QString& printerName)> choose;
    // Attaches the printer chosen before, by its name.
    std::function<void(QPrinter& printer, const QString& printerName)> attach;
};

// The dialogs the print commands use; the real ones unless a test replaced them.
PrintDialogs& Dialogs();
// Puts the real dialogs back.
void UseStandardDialogs();

// The printer chosen most recently in this run of the program.
PrinterSelection& PrinterChoice();

// Lays out and paints a job on a printer that was set up. False when the printer
// cannot be started (an empty job prints nothing and succeeds).
bool PrintJobOn(QPrinter& printer, const std::function<PrintJob(int linesPerPage)>& layout);

// The main window's model editor, searched from a widget's top-level window up its
// parent chain; null when there is none.
QPlainTextEdit* FindEditor(QWidget* w);

} // namespace tavu::plot

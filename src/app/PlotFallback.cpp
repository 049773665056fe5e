// Stand-ins for the plot and print commands in builds without the plot library.

#include "plot/PlotApi.h"

#include <QMessageBox>

namespace tavu {

namespace {

void NotAvailable(QWidget* parent, const QString& what)
{
    QMessageBox::information(parent, what,
                             QStringLiteral("%1 is not available in this build.").arg(what));
}

} // namespace

void ShowPlotWindow(Analysis&, QWidget* mainWindow, bool)
{
    NotAvailable(mainWindow, QStringLiteral("Plotting"));
}

void ShowPlotWindow(Analysis&, QWidget* mainWindow, bool, std::string_view)
{
    NotAvailable(mainWindow, QStringLiteral("Plotting"));
}

void ClosePlotWindow()
{
}

void PrintModelText(Analysis&, QWidget* parent)
{
    NotAvailable(parent, QStringLiteral("Printing"));
}

void PrintModelText(Analysis&, QWidget* parent, std::string_view, const std::string&)
{
    NotAvailable(parent, QStringLiteral("Printing"));
}

void PrintResultListing(const Analysis&, int, bool, QWidget* parent)
{
    NotAvailable(parent, QStringLiteral("Printing"));
}

void PrintResultListing(const Analysis&, int, bool, QWidget* parent, const std::string&)
{
    NotAvailable(parent, QStringLiteral("Printing"));
}

} // namespace tavu

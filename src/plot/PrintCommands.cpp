#include "plot/PrintCommands.h"

#include "driver/Driver.h"
#include "plot/PagePrinter.h"
#include "plot/PlotApi.h"
#include "plot/QtText.h"

#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>

namespace tavu::plot {

namespace {

bool StandardChoose(QPrinter& printer, QWidget* parent, QString& printerName)
{
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    printerName =
        printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString();
    return true;
}

void StandardAttach(QPrinter& printer, const QString& printerName)
{
    printer.setPrinterName(printerName);
}

QWidget* TopWindow(QWidget* w)
{
    return w ? w->window() : nullptr;
}

} // namespace

// The model editor of the main window: the top-level windows from the widget's own up
// its parent chain are searched for a text editor named "editor", then for any.
QPlainTextEdit* FindEditor(QWidget* w)
{
    for (QWidget* top = TopWindow(w); top; top = TopWindow(top->parentWidget())) {
        if (auto* editor = top->findChild<QPlainTextEdit*>(QStringLiteral("editor")))
            return editor;
    }
    for (QWidget* top = TopWindow(w); top; top = TopWindow(top->parentWidget())) {
        if (auto* editor = top->findChild<QPlainTextEdit*>())
            return editor;
    }
    return nullptr;
}

PrintDialogs& Dialogs()
{
    static PrintDialogs dialogs{StandardChoose, StandardAttach};
    return dialogs;
}

void UseStandardDialogs()
{
    Dialogs() = PrintDialogs{StandardChoose, StandardAttach};
}

PrinterSelection& PrinterChoice()
{
    static PrinterSelection choice;
    return choice;
}

bool PrintJobOn(QPrinter& printer, const std::function<PrintJob(int linesPerPage)>& layout)
{
    const QFont font = PrintFont();
    const PrintJob job = layout(LinesPerPage(printer, font));
    if (job.Pages.empty())
        return true;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    bool hasPage = false;
    const bool ok = PaintPages(painter, printer, job, font, hasPage);
    painter.end();
    return ok;
}

namespace {

// Sets up the printer for a printout: the print dialog, or the printer chosen before.
bool SelectPrinter(QPrinter& printer, PrinterSelection::Printout what, QWidget* parent)
{
    PrinterSelection& choice = PrinterChoice();
    if (choice.MustAsk(what)) {
        QString name;
        if (!Dialogs().choose(printer, parent, name))
            return false;
        choice.Chosen(ToBytes(name));
    } else {
        Dialogs().attach(printer, FromBytes(choice.PrinterName()));
    }
    return true;
}

void ReportFailure(QWidget* parent, QPrinter& printer)
{
    const QString where =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    QMessageBox::warning(parent, QStringLiteral("Print"),
                         QStringLiteral("Printing could not start on ") + where + ".");
}

} // namespace

} // namespace tavu::plot

namespace tavu {

using namespace plot;

void PrintModelText(Analysis& a, QWidget* parent, std::string_view editorText,
                    const std::string& modelFileName)
{
    // The printout matches the editor.
    if (a.State.LinesStale)
        SplitModelText(a, editorText);
    QPrinter printer(QPrinter::HighResolution);
    if (!SelectPrinter(printer, PrinterSelection::Printout::ModelText, parent))
        return;
    if (!PrintJobOn(printer, [&](int L) { return LayoutModelText(a, modelFileName, L); }))
        ReportFailure(parent, printer);
}

void PrintResultListing(const Analysis& a, int kind, bool averageStresses, QWidget* parent,
                        const std::string& modelFileName)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!SelectPrinter(printer, PrinterSelection::Printout::Results, parent))
        return;
    if (!PrintJobOn(printer, [&](int L) {
            return LayoutResults(a, kind, averageStresses, modelFileName, L);
        }))
        ReportFailure(parent, printer);
}

} // namespace tavu

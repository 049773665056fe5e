// Painting the plot and the printed pages, and the print commands' printer choice.
#include "plot/PagePrinter.h"
#include "plot/PlotApi.h"
#include "plot/PlotRenderer.h"
#include "plot/PrintCommands.h"
#include "plot/QtText.h"
#include "results/PlotGeometry.h"

#include <QBuffer>
#include <QColor>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavu::plot {
namespace {

// One beam from (0, 0) to (10, 0); grid 2's v is equation 1.
Analysis OneBeam(double tipV, int stage)
{
    Analysis a;
    ModelStore& m = a.Model;
    m.nGrids = 2;
    m.nBeams = 1;
    m.maxGridId = 2;
    m.Grids.Create(2);
    m.GridIndex.Create(2);
    m.Grids(2).x = 10;
    m.Grids(2).equation = {0, 0, 1, 0};
    m.GridIndex(1) = 1;
    m.GridIndex(2) = 2;
    m.Beams.Create(1);
    m.Beams(1).gridA = 1;
    m.Beams(1).gridB = 2;
    m.NEQ = 1;
    a.System.built = true;
    a.System.NEQ = 1;
    a.System.GridEquations.Create(2);
    a.System.GridEquations(2) = m.Grids(2).equation;
    a.Results.SolutionVector.Create(1);
    a.Results.SolutionVector(1) = tipV;
    a.State.Stage = stage;
    return a;
}

// Pixels drawn darker than light grey inside area (the whole image by default).
int DarkPixels(const QImage& image, QRect area = QRect(0, 0, 1 << 20, 1 << 20))
{
    int n = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) < 160;
    return n;
}

// Anything drawn in the 3 x 3 neighbourhood of (x, y).
bool Dark(const QImage& image, int x, int y)
{
    return DarkPixels(image, QRect(x - 1, y - 1, 3, 3)) > 0;
}

TEST(PlotRenderer, DrawsTheModelAndTheDeformedShapeWhereTheWorldWindowPutsThem)
{
    // A 200 x 200 image: x from -1.5 to 11.5 and y from -6.5 to 6.5 (13 units of 15.4
    // pixels), so the beam runs along row 100 from column 23 to 177, and its tip drawn
    // at full magnification (a drop of a tenth of the span, 1 unit) ends 15 pixels lower.
    const QSize size(200, 200);
    struct Case
    {
        const char* what;
        double tipV;
        int stage, magnification;
        bool deformedTip; // the deformed beam near its tip, (172, 115), is drawn
    } cases[] = {
        {"solved, full magnification", -0.004, Solved, 20, true},
        {"not solved", -0.004, Decomposed, 20, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PlotModel model = BuildPlotModel(OneBeam(c.tipV, c.stage));
        const QImage image = RenderPlotImage(model, c.magnification, false, size);
        ASSERT_EQ(image.size(), size);
        EXPECT_TRUE(Dark(image, 100, 100));
        EXPECT_TRUE(Dark(image, 26, 100));
        EXPECT_TRUE(Dark(image, 174, 100));
        EXPECT_FALSE(Dark(image, 15, 100)) << "the beam runs past its grids";
        EXPECT_FALSE(Dark(image, 186, 100)) << "the beam runs past its grids";
        EXPECT_FALSE(Dark(image, 100, 60));
        EXPECT_EQ(Dark(image, 172, 115), c.deformedTip);
    }
}

TEST(PlotRenderer, CoincidentGridsLeaveTheImageWhiteAndGridNumbersShowAsText)
{
    Analysis a = OneBeam(0, ModelRead);
    a.Model.Grids(2).x = 0;
    const QImage blank = RenderPlotImage(BuildPlotModel(a), 20, true, QSize(120, 80));
    EXPECT_EQ(DarkPixels(blank), 0);

    const PlotModel beam = BuildPlotModel(OneBeam(0, ModelRead));
    const QImage plain = RenderPlotImage(beam, 0, false, QSize(200, 200));
    const int without = DarkPixels(plain);
    const QImage numbered = RenderPlotImage(beam, 0, true, QSize(200, 200));
    EXPECT_GT(DarkPixels(numbered), without + 10);
    // The numbers hang below and right of their grids (grid 1 at (23, 100)).
    EXPECT_GT(DarkPixels(numbered, QRect(25, 102, 25, 20)), 0);
    EXPECT_EQ(DarkPixels(numbered, QRect(0, 80, 20, 18)), 0);
    EXPECT_EQ(DarkPixels(plain, QRect(25, 102, 25, 20)), 0);
}

TEST(PagePrinter, FixedPitchFontAndWholeLinesPerPage)
{
    const QFont font = PrintFont();
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
    EXPECT_EQ(QFontInfo(font).pointSize(), 10);
    for (int height : {100, 1000, 3507}) {
        QImage device(400, height, QImage::Format_RGB32);
        const int L = LinesPerPage(device, font);
        const double line = QFontMetricsF(font, &device).lineSpacing();
        EXPECT_LE(L * line, height) << height;
        EXPECT_GT((L + 1) * line, height) << height;
    }
    QImage tiny(10, 2, QImage::Format_RGB32);
    EXPECT_EQ(LinesPerPage(tiny, font), 1);
}

int PdfPages(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    int n = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++n;
    return n;
}

TEST(PagePrinter, OneDevicePageForEveryLaidOutPage)
{
    PrintJob job;
    for (int p = 1; p <= 3; ++p)
        job.Pages.push_back({{"        header " + std::to_string(p), "", "", "        line"}, 3});
    struct Case
    {
        int jobs;
        int pages;
    } cases[] = {{0, 1}, {1, 3}, {2, 6}};
    for (const Case& c : cases) {
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            QPainter painter(&writer);
            bool hasPage = false;
            for (int j = 0; j < c.jobs; ++j)
                ASSERT_TRUE(PaintPages(painter, writer, job, PrintFont(), hasPage));
            EXPECT_EQ(hasPage, c.jobs > 0);
        }
        // A PDF always has a page, so an empty job leaves the writer's first page blank.
        EXPECT_EQ(PdfPages(bytes), c.pages) << c.jobs << " jobs";
    }
}

TEST(QtText, Utf8OrEightBitBytes)
{
    EXPECT_EQ(FromBytes("x \xC3\xB8 Defl"), QStringLiteral("x \u00F8 Defl"));
    EXPECT_EQ(FromBytes("\xF8 Defl"), QStringLiteral("\u00F8 Defl"));
    EXPECT_EQ(FromBytes(std::string_view("a\0b", 3)).size(), 3);
    EXPECT_EQ(ToBytes(QStringLiteral("\u00F8")), "\xC3\xB8");
}

// Print dialogs that write PDF files into a temporary folder and count their calls.
class PrintCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        PrinterChoice() = PrinterSelection();
        Dialogs().choose = [this](QPrinter& printer, QWidget*, QString& name) {
            ++chosen;
            if (cancel)
                return false;
            printer.setOutputFileName(NextFile());
            name = QStringLiteral("Test Printer");
            return true;
        };
        Dialogs().attach = [this](QPrinter& printer, const QString& name) {
            ++attached;
            attachedName = name;
            printer.setOutputFileName(NextFile());
        };
    }
    void TearDown() override { UseStandardDialogs(); }
    QString NextFile()
    {
        files.push_back(dir.filePath(QStringLiteral("page%1.pdf").arg(files.size())));
        return files.back();
    }
    QByteArray Written(int i) const
    {
        QFile f(files.at(i));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QStringList files;
    int chosen = 0, attached = 0;
    bool cancel = false;
    QString attachedName;
};

Analysis ModelText(int lines)
{
    Analysis a;
    a.State.LinesStale = false;
    for (int i = 1; i <= lines; ++i)
        a.Text.ModelLines.push_back("GRID " + std::to_string(i) + " 0 0");
    a.Text.LineCount = lines;
    return a;
}

TEST_F(PrintCommandsTest, ResultsAskForAPrinterOnceTheModelTextEveryTime)
{
    Analysis a = OneBeam(-0.5, Solved);
    PrintResultListing(a, 1, false, nullptr, "beam.tav");
    PrintResultListing(a, 1, false, nullptr, "beam.tav");
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(attached, 1);
    EXPECT_EQ(attachedName, QStringLiteral("Test Printer"));

    Analysis text = ModelText(3);
    PrintModelText(text, nullptr, "", "model.tav");
    PrintModelText(text, nullptr, "", "model.tav");
    EXPECT_EQ(chosen, 3);
    PrintResultListing(a, 2, false, nullptr, "beam.tav");
    EXPECT_EQ(chosen, 3);
    EXPECT_EQ(attached, 2);
    ASSERT_EQ(files.size(), 5);
    for (int i = 2; i <= 3; ++i)
        EXPECT_EQ(PdfPages(Written(i)), 1) << "model printout " << i;
}

TEST_F(PrintCommandsTest, ACancelledDialogPrintsNothingAndAsksAgainNextTime)
{
    for (bool cancelled : {true, false}) {
        cancel = cancelled;
        PrintResultListing(OneBeam(-0.5, Solved), 1, false, nullptr, "beam.tav");
    }
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(attached, 0);
    EXPECT_EQ(files.size(), 1);
}

TEST_F(PrintCommandsTest, TheModelTextIsSplitFromTheEditorWhenStale)
{
    Analysis a = ModelText(2);
    a.State.LinesStale = true;
    std::string editor;
    for (int i = 1; i <= 200; ++i)
        editor += "GRID " + std::to_string(i) + " 1 1\r\n";
    PrintModelText(a, nullptr, editor, "long.tav");
    EXPECT_FALSE(a.State.LinesStale);
    EXPECT_EQ(a.Text.LineCount, 201);
    ASSERT_EQ(files.size(), 1);
    // 201 lines at 10 points need more than two printer pages.
    EXPECT_GE(PdfPages(Written(0)), 3);
}

TEST(MainWindowLookups, TheEditorIsFoundFromAWindowTheMainWindowOwns)
{
    QWidget main;
    auto* results = new QWidget(&main, Qt::Window);
    EXPECT_EQ(FindEditor(results), nullptr);
    auto* other = new QPlainTextEdit(&main);
    EXPECT_EQ(FindEditor(results), other) << "without a named editor, any";
    auto* editor = new QPlainTextEdit(&main);
    editor->setObjectName(QStringLiteral("editor"));
    EXPECT_EQ(FindEditor(results), editor);
    EXPECT_EQ(FindEditor(nullptr), nullptr);
}

} // namespace
} // namespace tavu::plot

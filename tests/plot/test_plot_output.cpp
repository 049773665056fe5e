// Painting the plot and the printed pages.
#include "BatchRun.h"
#include "plot/PagePrinter.h"
#include "plot/PlotRenderer.h"
#include "plot/QtText.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <gtest/gtest.h>

namespace tavu::plot {
namespace {

// Anything drawn darker than light grey in the 3 x 3 neighbourhood of (x, y).
bool Dark(const QImage& image, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && qGray(image.pixel(x + dx, y + dy)) < 160)
                return true;
    return false;
}

TEST(PlotRenderer, DrawsWhereTheWorldWindowPutsThingsWithYUp)
{
    // A cantilever from (0, 0) to (10, 0), its tip pushed down.
    BatchRun run;
    RunBatch(run,
             "GRID 1 0 0\r\nGRID 2 10 0\r\nBEAM 1 1 2 1 1\r\nPROP 1 1 1\r\nMATL 1 1000\r\n"
             "DOFS DEF 1 1 1\r\nRACT 1 1 1 1\r\nENDMODEL\r\nLOAD 2 0 -1",
             {});
    ASSERT_TRUE(run.solved) << run.readText;
    // On 200 x 200 pixels x runs from -1.5 to 11.5 and y from -6.5 to 6.5, so the beam
    // lies along row 100 from column 23 to 177; at full magnification its tip drops a
    // tenth of the span, 15 pixels.
    for (int stage : {int(Solved), int(Decomposed)}) {
        SCOPED_TRACE(stage);
        run.analysis.State.Stage = stage;
        const PlotModel model = BuildPlotModel(run.analysis);
        const QImage image = RenderPlotImage(
            DrawPlot(model, 20, false), WorldWindowFor(model, 200, 200, 96, 96), QSize(200, 200));
        ASSERT_EQ(image.size(), QSize(200, 200));
        for (int x : {26, 100, 174})
            EXPECT_TRUE(Dark(image, x, 100)) << x;
        EXPECT_FALSE(Dark(image, 15, 100)) << "the beam runs past its grids";
        EXPECT_FALSE(Dark(image, 186, 100)) << "the beam runs past its grids";
        EXPECT_FALSE(Dark(image, 100, 60));
        EXPECT_EQ(Dark(image, 172, 115), stage == Solved) << "the deformed tip";
        EXPECT_FALSE(Dark(image, 172, 85)) << "the deformed tip upside down";
    }
}

TEST(PagePrinter, WholeLinesOfAFixedPitchFontPerPage)
{
    const QFont font = PrintFont();
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
    EXPECT_EQ(QFontInfo(font).pointSize(), 10);
    for (int height : {2, 100, 1000, 3507}) {
        QImage device(400, height, QImage::Format_RGB32);
        const int L = LinesPerPage(device, font);
        const double line = QFontMetricsF(font, &device).lineSpacing();
        EXPECT_TRUE(L * line <= height || L == 1) << height;
        EXPECT_GT((L + 1) * line, height) << height;
    }
}

TEST(QtText, Utf8OrEightBitBytes)
{
    EXPECT_EQ(FromBytes("x \xC3\xB8 Defl"), QStringLiteral("x \u00F8 Defl"));
    EXPECT_EQ(FromBytes("\xF8 Defl"), QStringLiteral("\u00F8 Defl"));
    EXPECT_EQ(FromBytes(std::string_view("a\0b", 3)).size(), 3);
    EXPECT_EQ(ToBytes(QStringLiteral("\u00F8")), "\xC3\xB8");
}

} // namespace
} // namespace tavu::plot

// The plot window: opening rules by Stage, the scroll bar and the grid numbers.
#include "BatchRun.h"
#include "plot/PlotApi.h"
#include "plot/PlotWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace tavu::plot {
namespace {

// A pitched portal frame under a side load and a ridge load.
const char* const FrameText =
    "$ portal frame\r\n"
    "GRID 1 0 0\r\nGRID 2 0 4\r\nGRID 3 3 4.5\r\nGRID 4 6 4\r\nGRID 5 6 0\r\n"
    "BEAM 1 1 2 1 1\r\nBEAM 2 2 3 1 1\r\nBEAM 3 3 4 1 1\r\nBEAM 4 4 5 1 1\r\n"
    "PROP 1 0.01 0.0001\r\nMATL 1 2.1E8\r\nDOFS DEF 1 1 1\r\n"
    "RACT 1 1 1 1\r\nRACT 5 1 1 1\r\nENDMODEL\r\n"
    "LOAD 2 10 0\r\nLOAD 3 0 -20";

int DarkPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 160;
    return n;
}

class PlotWindowTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ClosePlotWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    // Opens the window on the solved frame.
    PlotWindow* OpenSolved()
    {
        RunBatch(run, FrameText, {});
        EXPECT_TRUE(run.solved) << run.readText << run.decompositionLog;
        ShowPlotWindow(run.analysis, nullptr, true, "");
        return CurrentPlotWindow();
    }
    int Drawn(PlotWindow* w) { return DarkPixels(w->Surface()->grab().toImage()); }
    BatchRun run;
};

TEST_F(PlotWindowTest, ASolvedModelOpensAtZeroAndScrollsByTheMagnificationRule)
{
    PlotWindow* w = OpenSolved();
    ASSERT_NE(w, nullptr);
    QScrollBar* bar = w->ScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Finite Element Model Plot"));
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 20);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(w->Magnification(), 0);
    EXPECT_FALSE(w->ShowGridNumbers());
    EXPECT_TRUE(w->Model().HasDeformation());
    auto* label = w->findChild<QLabel*>(QStringLiteral("plotMagnificationLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Deformation magnitude"));
    auto* numbersLabel = w->findChild<QLabel*>(QStringLiteral("plotGridNumbersLabel"));
    ASSERT_NE(numbersLabel, nullptr);
    EXPECT_EQ(numbersLabel->text(), QStringLiteral("Grid Numbers"));
    // The controls stay below the drawing surface.
    EXPECT_LE(w->Surface()->geometry().bottom(), bar->geometry().top());
    EXPECT_LE(bar->geometry().bottom(), label->geometry().top());

    using A = QAbstractSlider;
    struct Step
    {
        A::SliderAction action; // SliderMove: drag the thumb to thumb
        int thumb, magnification;
    } steps[] = {
        {A::SliderSingleStepAdd, 0, 1},  {A::SliderPageStepAdd, 0, 1},   // a page click keeps it
        {A::SliderSingleStepSub, 0, 0},  {A::SliderSingleStepSub, 0, 0}, // stops at 0
        {A::SliderMove, 19, 19},         {A::SliderSingleStepAdd, 0, 20},
        {A::SliderSingleStepAdd, 0, 20}, // stops at 20
        {A::SliderToMinimum, 0, 20},
    };
    const int still = Drawn(w);
    EXPECT_GT(still, 0);
    for (const Step& s : steps) {
        if (s.action == A::SliderMove)
            bar->setSliderPosition(s.thumb);
        else
            bar->triggerAction(s.action);
        EXPECT_EQ(w->Magnification(), s.magnification) << "action " << s.action;
        EXPECT_EQ(bar->value(), s.magnification) << "action " << s.action;
    }
    EXPECT_GT(Drawn(w), still) << "the deformed shape is drawn at 20";

    // Opened again, the window starts over at magnification 0.
    ShowPlotWindow(run.analysis, nullptr, true, "");
    w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Magnification(), 0);
    EXPECT_EQ(w->ScrollBar()->value(), 0);
}

TEST_F(PlotWindowTest, TheCheckBoxTogglesTheGridNumbers)
{
    PlotWindow* w = OpenSolved();
    ASSERT_NE(w, nullptr);
    auto* box = w->findChild<QCheckBox*>(QStringLiteral("plotGridNumbers"));
    ASSERT_NE(box, nullptr);
    const int plain = Drawn(w);
    for (bool on : {true, false}) {
        box->click();
        EXPECT_EQ(w->ShowGridNumbers(), on);
        EXPECT_EQ(box->isChecked(), on);
        if (on)
            EXPECT_GT(Drawn(w), plain);
        else
            EXPECT_EQ(Drawn(w), plain);
    }
}

TEST_F(PlotWindowTest, AModelNotReadYetIsReadFirstAndHasNoScrollBar)
{
    Analysis a;
    ASSERT_EQ(a.State.Stage, ModelPending);
    ShowPlotWindow(a, nullptr, false, FrameText);
    PlotWindow* w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(a.State.Stage, ModelRead);
    EXPECT_FALSE(a.State.LinesStale);
    EXPECT_EQ(w->ScrollBar(), nullptr);
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("plotMagnificationLabel")), nullptr);
    EXPECT_EQ(w->Model().Edges.size(), 4u);
    EXPECT_FALSE(w->Model().HasDeformation());
    EXPECT_TRUE(w->Surface()->Note().isEmpty());

    // Opened again on the model read but not solved: the scroll bar is there, disabled.
    ShowPlotWindow(a, nullptr, true, FrameText);
    w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w->ScrollBar(), nullptr);
    EXPECT_FALSE(w->ScrollBar()->isEnabled());
}

TEST_F(PlotWindowTest, AModelThatCannotBeReadSaysSoInsteadOfAnEmptyWindow)
{
    Analysis a;
    ShowPlotWindow(a, nullptr, false, "GRID 1 0 0\r\nGRID 2 1 0\r\n");
    PlotWindow* w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(a.State.Stage, ModelPending);
    ASSERT_FALSE(a.State.FatalText.empty());
    const QString first =
        QString::fromStdString(a.State.FatalText.substr(0, a.State.FatalText.find('\r')));
    const QString note = w->Surface()->Note();
    EXPECT_TRUE(note.startsWith(QStringLiteral("The model could not be read:")));
    EXPECT_TRUE(note.contains(first)) << note.toStdString();
    EXPECT_TRUE(w->Model().Edges.empty());
}

TEST_F(PlotWindowTest, TheWindowOpensOverTheMainWindowAndClosesWithIt)
{
    QWidget main;
    auto* other = new QPlainTextEdit(&main);
    auto* editor = new QPlainTextEdit(&main);
    editor->setObjectName(QStringLiteral("editor"));
    main.show();
    other->setFocus();

    Analysis a;
    ShowPlotWindow(a, &main, false, FrameText);
    PlotWindow* w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), &main);
    EXPECT_EQ(w->Model().nGrids, 5);
    // The window opens offset from the main window's corner.
    EXPECT_GT(w->pos().x(), main.frameGeometry().left());
    ClosePlotWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CurrentPlotWindow(), nullptr);
    EXPECT_EQ(main.focusWidget(), editor) << "the keyboard focus goes back to the editor";
}

} // namespace
} // namespace tavu::plot

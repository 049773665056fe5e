// The plot window: opening rules by Stage, the scroll bar and the grid numbers.
#include "BatchRun.h"
#include "plot/PlotApi.h"
#include "plot/PlotWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>
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

void Flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

class PlotWindowTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ClosePlotWindow();
        Flush();
    }
};

int DarkPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 160;
    return n;
}

TEST_F(PlotWindowTest, ASolvedModelOpensWithTheScrollBarAtZero)
{
    BatchRun run;
    RunBatch(run, FrameText, {});
    ASSERT_TRUE(run.solved) << run.readText << run.decompositionLog;
    ShowPlotWindow(run.analysis, nullptr, true, "");
    PlotWindow* w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Finite Element Model Plot"));
    ASSERT_NE(w->ScrollBar(), nullptr);
    EXPECT_TRUE(w->ScrollBar()->isEnabled());
    EXPECT_EQ(w->ScrollBar()->minimum(), 0);
    EXPECT_EQ(w->ScrollBar()->maximum(), 20);
    EXPECT_EQ(w->ScrollBar()->value(), 0);
    EXPECT_EQ(w->Magnification(), 0);
    EXPECT_FALSE(w->ShowGridNumbers());
    EXPECT_TRUE(w->Model().HasDeformation());
    EXPECT_EQ(w->Model().Edges.size(), 4u);
    auto* label = w->findChild<QLabel*>(QStringLiteral("plotMagnificationLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Deformation magnitude"));
    auto* numbersLabel = w->findChild<QLabel*>(QStringLiteral("plotGridNumbersLabel"));
    ASSERT_NE(numbersLabel, nullptr);
    EXPECT_EQ(numbersLabel->text(), QStringLiteral("Grid Numbers"));
    // The controls stay below the drawing surface.
    EXPECT_LE(w->Surface()->geometry().bottom(), w->ScrollBar()->geometry().top());
    EXPECT_LE(w->ScrollBar()->geometry().bottom(), label->geometry().top());
}

TEST_F(PlotWindowTest, ScrollActionsFollowTheMagnificationRule)
{
    BatchRun run;
    RunBatch(run, FrameText, {});
    ASSERT_TRUE(run.solved);
    ShowPlotWindow(run.analysis, nullptr, true, "");
    PlotWindow* w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    QScrollBar* bar = w->ScrollBar();
    ASSERT_NE(bar, nullptr);
    struct Step
    {
        QAbstractSlider::SliderAction action; // SliderMove: drag the thumb to thumb
        int thumb;
        int magnification;
    } steps[] = {
        {QAbstractSlider::SliderSingleStepAdd, 0, 1},
        {QAbstractSlider::SliderSingleStepAdd, 0, 2},
        {QAbstractSlider::SliderPageStepAdd, 0, 2}, // a page click keeps the value
        {QAbstractSlider::SliderSingleStepSub, 0, 1},
        {QAbstractSlider::SliderMove, 19, 19},
        {QAbstractSlider::SliderSingleStepAdd, 0, 20},
        {QAbstractSlider::SliderSingleStepAdd, 0, 20}, // nothing happens at 20
        {QAbstractSlider::SliderPageStepSub, 0, 20},
        {QAbstractSlider::SliderToMinimum, 0, 20},
        {QAbstractSlider::SliderMove, 0, 0},
        {QAbstractSlider::SliderSingleStepSub, 0, 0}, // nothing happens at 0
    };
    for (const Step& s : steps) {
        if (s.action == QAbstractSlider::SliderMove)
            bar->setSliderPosition(s.thumb);
        else
            bar->triggerAction(s.action);
        EXPECT_EQ(w->Magnification(), s.magnification) << "action " << s.action;
        EXPECT_EQ(bar->value(), s.magnification) << "action " << s.action;
    }

    // The drawing changes with the magnification.
    bar->setSliderPosition(0);
    const QImage still = w->Surface()->grab().toImage();
    bar->setSliderPosition(20);
    const QImage deformed = w->Surface()->grab().toImage();
    EXPECT_GT(DarkPixels(still), 0);
    EXPECT_GT(DarkPixels(deformed), DarkPixels(still));

    // Opened again, the window starts over at magnification 0.
    ShowPlotWindow(run.analysis, nullptr, true, "");
    w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Magnification(), 0);
    EXPECT_EQ(w->ScrollBar()->value(), 0);
}

TEST_F(PlotWindowTest, TheCheckBoxTogglesTheGridNumbers)
{
    BatchRun run;
    RunBatch(run, FrameText, {});
    ShowPlotWindow(run.analysis, nullptr, false, "");
    PlotWindow* w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    auto* box = w->findChild<QCheckBox*>(QStringLiteral("plotGridNumbers"));
    ASSERT_NE(box, nullptr);
    const int plain = DarkPixels(w->Surface()->grab().toImage());
    box->click();
    EXPECT_TRUE(w->ShowGridNumbers());
    EXPECT_TRUE(box->isChecked());
    EXPECT_GT(DarkPixels(w->Surface()->grab().toImage()), plain);
    box->click();
    EXPECT_FALSE(w->ShowGridNumbers());
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(DarkPixels(w->Surface()->grab().toImage()), plain);
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
    EXPECT_FALSE(w->Model().HasDeformation());
}

TEST_F(PlotWindowTest, AModelThatCannotBeReadSaysSoInsteadOfAnEmptyWindow)
{
    Analysis a;
    ShowPlotWindow(a, nullptr, false, "GRID 1 0 0\r\nGRID 2 1 0\r\n");
    PlotWindow* w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(a.State.Stage, ModelPending);
    ASSERT_FALSE(a.State.FatalText.empty());
    const QString firstMessage =
        QString::fromStdString(a.State.FatalText.substr(0, a.State.FatalText.find('\r')));
    EXPECT_TRUE(w->Surface()->Note().startsWith(QStringLiteral("The model could not be read:")));
    EXPECT_TRUE(w->Surface()->Note().contains(firstMessage)) << w->Surface()->Note().toStdString();
    EXPECT_TRUE(w->Model().Edges.empty());
}

TEST_F(PlotWindowTest, TheMainWindowsEditorTextIsReadWhenTheLinesAreStale)
{
    QWidget main;
    auto* layout = new QVBoxLayout(&main);
    auto* editor = new QPlainTextEdit(&main);
    editor->setObjectName(QStringLiteral("editor"));
    layout->addWidget(editor);
    editor->setPlainText(QString::fromLatin1(FrameText).remove(QLatin1Char('\r')));
    main.show();

    Analysis a; // LinesStale is set
    ShowPlotWindow(a, &main, false);
    PlotWindow* w = CurrentPlotWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), &main);
    EXPECT_EQ(a.State.Stage, ModelRead);
    EXPECT_EQ(w->Model().nGrids, 5);
    // The window opens offset from the main window's corner.
    EXPECT_GT(w->pos().x(), main.frameGeometry().left());

    ClosePlotWindow();
    Flush();
    EXPECT_EQ(CurrentPlotWindow(), nullptr);
}

} // namespace
} // namespace tavu::plot

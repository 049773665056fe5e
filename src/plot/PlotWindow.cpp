#include "plot/PlotWindow.h"

#include "common/Analysis.h"
#include "driver/Driver.h"
#include "plot/PlotApi.h"
#include "plot/PlotRenderer.h"
#include "plot/PrintCommands.h"
#include "plot/QtText.h"
#include "plot/WindowSupport.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <algorithm>
#include <cmath>

namespace tavu::plot {

namespace {

QPointer<PlotWindow>& OpenWindow()
{
    static QPointer<PlotWindow> window;
    return window;
}

// The plot reads an unread model itself; nobody watches that step.
class QuietSummary : public SummaryWindow
{
public:
    void SetTitle(const std::string&) override {}
    void ShowText(const std::string&) override {}
    void DisableContinue() override {}
    void FocusContinue() override {}
    void FocusCancel() override {}
    void TurnContinueIntoFinish() override {}
    bool AskLoadScalars(Analysis&) override { return false; }
    void Close() override {}
    void FocusEditor() override {}
};

ScrollAction ActionOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return ScrollAction::LineRight;
    case QAbstractSlider::SliderSingleStepSub:
        return ScrollAction::LineLeft;
    case QAbstractSlider::SliderPageStepAdd:
        return ScrollAction::PageRight;
    case QAbstractSlider::SliderPageStepSub:
        return ScrollAction::PageLeft;
    case QAbstractSlider::SliderMove:
        return ScrollAction::ThumbTrack;
    default:
        return ScrollAction::Other;
    }
}

// Window layout in dialog units.
constexpr double WindowWidth = 460, WindowHeight = 540;
constexpr double ControlStrip = 80; // below the drawing surface
constexpr double Offset = 20;       // from the main window's corner
// The smallest window that shows the controls below the surface and some of the plot.
constexpr double MinimumWidth = 360, MinimumHeight = 160;

// The magnification last chosen, for the next solved model.
int RememberedMagnification()
{
    const int m = ProgramSettings()->value(QLatin1String(MagnificationKey), 0).toInt();
    return std::clamp(m, 0, MaxMagnification);
}

} // namespace

PlotSurface::PlotSurface(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("plotSurface"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotSurface::SetPicture(const PlotModel* model, int magnification, bool showGridNumbers)
{
    model_ = model;
    magnification_ = magnification;
    showGridNumbers_ = showGridNumbers;
    update();
}

void PlotSurface::SetNote(const QString& note)
{
    note_ = note;
    update();
}

void PlotSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!note_.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(rect().adjusted(8, 8, -8, -8),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, note_);
        return;
    }
    if (!model_ || width() < 1 || height() < 1)
        return;
    const WorldWindow window =
        WorldWindowFor(*model_, width(), height(), logicalDpiX(), logicalDpiY());
    PaintPlot(painter, QRectF(rect()), DrawPlot(*model_, magnification_, showGridNumbers_), window);
}

PlotWindow::PlotWindow(Analysis& a, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), a_(a), mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("plotWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Finite Element Model Plot"));

    const QFontMetricsF metrics(font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    unitX_ = metrics.horizontalAdvance(letters) / letters.size() / 4.0;
    unitY_ = metrics.height() / 8.0;

    surface_ = new PlotSurface(this);
    rule_ = new QFrame(this);
    rule_->setObjectName(QStringLiteral("plotRule"));
    rule_->setFrameShape(QFrame::HLine);
    rule_->setFrameShadow(QFrame::Sunken);
    numbers_ = new QCheckBox(this);
    numbers_->setObjectName(QStringLiteral("plotGridNumbers"));
    numbersLabel_ = new QLabel(QStringLiteral("Grid Numbers"), this);
    numbersLabel_->setObjectName(QStringLiteral("plotGridNumbersLabel"));
    connect(numbers_, &QCheckBox::clicked, this, [this] { ToggleGridNumbers(); });

    // Below and right of the main window, as large as the screen leaves room for.
    CloseOnEscape(this);
    setMinimumSize(Dx(MinimumWidth), Dy(MinimumHeight));
    const QPoint origin = mainWindow ? mainWindow->frameGeometry().topLeft() : QPoint();
    PlaceOnScreen(this, QRect(origin + QPoint(Dx(Offset), Dy(Offset)),
                              QSize(Dx(WindowWidth), Dy(WindowHeight))));
}

PlotWindow::~PlotWindow() = default;

int PlotWindow::Dx(double units) const
{
    return static_cast<int>(std::lround(units * unitX_));
}

int PlotWindow::Dy(double units) const
{
    return static_cast<int>(std::lround(units * unitY_));
}

void PlotWindow::Open(std::string_view editorText)
{
    const bool modelWasRead = a_.State.Stage != ModelPending;
    QString note;
    if (!modelWasRead) {
        // Plot a model without a solution: read it first.
        if (a_.State.LinesStale)
            SplitModelText(a_, editorText);
        QuietSummary quiet;
        RunModelProcessing(a_, quiet, nullptr);
        if (a_.State.Stage == ModelPending && !a_.State.FatalText.empty()) {
            std::string text = a_.State.FatalText;
            text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
            note = QStringLiteral("The model could not be read:\n\n") + FromBytes(text);
        }
    }
    if (modelWasRead && !scroll_) {
        scroll_ = new QScrollBar(Qt::Horizontal, this);
        scroll_->setObjectName(QStringLiteral("plotMagnification"));
        scroll_->setRange(0, MaxMagnification);
        scroll_->setSingleStep(1);
        scroll_->setPageStep(MagnificationPageStep);
        scrollLabel_ = new QLabel(QStringLiteral("Deformation magnitude"), this);
        scrollLabel_->setObjectName(QStringLiteral("plotMagnificationLabel"));
        connect(scroll_, &QAbstractSlider::actionTriggered, this,
                [this](int action) { Scrolled(action); });
        scroll_->show();
        scrollLabel_->show();
    }

    model_ = BuildPlotModel(a_);
    const bool solved = a_.State.Stage == Solved;
    magnification_ = solved ? RememberedMagnification() : 0;
    showGridNumbers_ = false;
    numbers_->setChecked(false);
    if (scroll_) {
        scroll_->setSliderPosition(magnification_);
        scroll_->setEnabled(solved);
    }
    surface_->SetNote(note);
    PlaceControls();
    Redraw();
}

void PlotWindow::Scrolled(int action)
{
    magnification_ =
        MagnificationAfterScroll(magnification_, ActionOf(action), scroll_->sliderPosition());
    scroll_->setSliderPosition(magnification_);
    ProgramSettings()->setValue(QLatin1String(MagnificationKey), magnification_);
    Redraw();
}

void PlotWindow::ToggleGridNumbers()
{
    showGridNumbers_ = !showGridNumbers_;
    numbers_->setChecked(showGridNumbers_);
    Redraw();
}

void PlotWindow::Redraw()
{
    surface_->SetPicture(&model_, magnification_, showGridNumbers_);
}

void PlotWindow::PlaceControls()
{
    const int w = width(), h = height();
    const int strip = Dy(ControlStrip);
    surface_->setGeometry(0, 0, w, std::max(0, h - strip));
    rule_->setGeometry(0, h - strip, w, 2);
    const int row = h - Dy(60);
    if (scroll_) {
        const int barHeight = scroll_->sizeHint().height();
        scroll_->setGeometry(Dx(40), row + (Dy(16) - barHeight) / 2, Dx(160), barHeight);
        scrollLabel_->setGeometry(Dx(40), h - Dy(40), Dx(160), scrollLabel_->sizeHint().height());
    }
    const QSize box = numbers_->sizeHint();
    numbers_->setGeometry(Dx(280), row + (Dy(20) - box.height()) / 2, box.width(), box.height());
    numbersLabel_->setGeometry(Dx(250), h - Dy(40), Dx(100), numbersLabel_->sizeHint().height());
}

void PlotWindow::resizeEvent(QResizeEvent*)
{
    PlaceControls();
}

void PlotWindow::closeEvent(QCloseEvent* event)
{
    // The keyboard focus goes back to the main window's editor.
    if (mainWindow_) {
        mainWindow_->activateWindow();
        if (QPlainTextEdit* editor = FindEditor(mainWindow_))
            editor->setFocus();
    }
    QWidget::closeEvent(event);
}

} // namespace tavu::plot

namespace tavu {

using namespace plot;

void ShowPlotWindow(Analysis& a, QWidget* mainWindow, bool /*deformation*/,
                    std::string_view editorText)
{
    // Each command opens the window afresh on the model as it stands; the deformed shape
    // shows whenever results exist.
    if (PlotWindow* old = OpenWindow())
        delete old;
    auto* window = new PlotWindow(a, mainWindow);
    OpenWindow() = window;
    window->Open(editorText);
    window->show();
    window->raise();
    window->activateWindow();
}

void ClosePlotWindow()
{
    if (PlotWindow* window = OpenWindow())
        window->close();
}

} // namespace tavu

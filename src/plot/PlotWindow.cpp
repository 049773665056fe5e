#include "plot/PlotWindow.h"

#include "common/Analysis.h"
#include "common/Numbers.h"
#include "driver/Driver.h"
#include "plot/PlotApi.h"
#include "plot/PlotExport.h"
#include "plot/PlotRenderer.h"
#include "plot/PrintCommands.h"
#include "plot/QtText.h"
#include "plot/WindowSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QWheelEvent>
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
    const int m =
        ProgramSettings()->value(QLatin1String(MagnificationKey), MaxMagnification).toInt();
    return std::clamp(m, 0, MaxMagnification);
}

} // namespace

std::function<QString(QWidget* parent)>& PictureFileChooser()
{
    static std::function<QString(QWidget*)> choose = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(
            parent, QStringLiteral("Save Picture"), QString(),
            QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    };
    return choose;
}

PlotSurface::PlotSurface(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("plotSurface"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PlotSurface::SetPicture(const PlotModel* model, const PlotOptions& options)
{
    model_ = model;
    options_ = options;
    pictureValid_ = false;
    update();
}

const PlotPicture& PlotSurface::PictureFor(const PlotOptions& o) const
{
    const PlotOptions& c = pictureOptions_;
    if (!pictureValid_ || c.view != o.view || c.magnification != o.magnification ||
        c.showGridNumbers != o.showGridNumbers || c.showElementNumbers != o.showElementNumbers ||
        c.symbolSize != o.symbolSize) {
        picture_ = DrawPlot(*model_, o);
        pictureOptions_ = o;
        pictureValid_ = true;
    }
    return picture_;
}

void PlotSurface::SetNote(const QString& note)
{
    note_ = note;
    update();
}

WorldWindow PlotSurface::FitWindow() const
{
    if (!model_)
        return {};
    return WorldWindowFor(*model_, width(), height(), logicalDpiX(), logicalDpiY());
}

WorldWindow PlotSurface::Window() const
{
    return ZoomedWindow(FitWindow(), zoom_);
}

void PlotSurface::Fit()
{
    zoom_ = ViewZoom();
    update();
}

QImage PlotSurface::Picture() const
{
    if (!model_)
        return QImage();
    const WorldWindow window = Window();
    PlotOptions options = options_;
    options.symbolSize = SymbolSizeFor(window, width());
    return RenderPlotImage(PictureFor(options), window, size());
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
    painter.setRenderHint(QPainter::Antialiasing);
    const WorldWindow window = Window();
    PlotOptions options = options_;
    options.symbolSize = SymbolSizeFor(window, width());
    PaintPlot(painter, QRectF(rect()), PictureFor(options), window);
}

PlotPoint PlotSurface::WorldAt(QPointF pixel) const
{
    const WorldWindow w = Window();
    return {w.Left + pixel.x() / std::max(width(), 1) * (w.Right - w.Left),
            w.Top - pixel.y() / std::max(height(), 1) * (w.Top - w.Bottom)};
}

void PlotSurface::ZoomAt(double step, QPointF pixel)
{
    zoom_ = ZoomAbout(FitWindow(), zoom_, step, WorldAt(pixel));
    update();
}

void PlotSurface::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        ZoomAt(std::pow(1.25, notches), event->position());
    event->accept();
}

void PlotSurface::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        lastDrag_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
}

void PlotSurface::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const PlotPoint from = WorldAt(lastDrag_), to = WorldAt(event->position());
    zoom_.panX -= to.x - from.x;
    zoom_.panY -= to.y - from.y;
    lastDrag_ = event->position();
    update();
}

void PlotSurface::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
    unsetCursor();
}

void PlotSurface::keyPressEvent(QKeyEvent* event)
{
    const QPointF centre(width() / 2.0, height() / 2.0);
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomAt(1.25, centre);
        break;
    case Qt::Key_Minus:
        ZoomAt(1 / 1.25, centre);
        break;
    case Qt::Key_Home:
        Fit();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
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

    // The row above the surface: the view, element numbers and the picture's output.
    views_ = new QComboBox(this);
    views_->setObjectName(QStringLiteral("plotView"));
    connect(views_, &QComboBox::activated, this,
            [this](int index) { SetView(static_cast<PlotView>(views_->itemData(index).toInt())); });
    elementNumbers_ = new QCheckBox(QStringLiteral("Element Numbers"), this);
    elementNumbers_->setObjectName(QStringLiteral("plotElementNumbers"));
    connect(elementNumbers_, &QCheckBox::toggled, this, [this](bool on) {
        options_.showElementNumbers = on;
        Redraw();
    });
    copy_ = new QPushButton(QStringLiteral("&Copy"), this);
    copy_->setObjectName(QStringLiteral("plotCopy"));
    connect(copy_, &QPushButton::clicked, this, [this] { CopyPicture(); });
    save_ = new QPushButton(QStringLiteral("&Save Picture..."), this);
    save_->setObjectName(QStringLiteral("plotSave"));
    connect(save_, &QPushButton::clicked, this, [this] { SavePicture(); });
    print_ = new QPushButton(QStringLiteral("&Print..."), this);
    print_->setObjectName(QStringLiteral("plotPrint"));
    connect(print_, &QPushButton::clicked, this, [this] { PrintPicture(); });
    for (QPushButton* b : {copy_, save_, print_}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }

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
        factor_ = new QLabel(this);
        factor_->setObjectName(QStringLiteral("plotMagnificationFactor"));
        factor_->show();
        connect(scroll_, &QAbstractSlider::actionTriggered, this,
                [this](int action) { Scrolled(action); });
        scroll_->show();
        scrollLabel_->show();
    }

    model_ = BuildPlotModel(a_);
    const bool solved = a_.State.Stage == Solved;
    options_ = PlotOptions();
    options_.view = solved ? PlotView::Deformed : PlotView::Model;
    options_.magnification = solved ? RememberedMagnification() : 0;
    numbers_->setChecked(false);
    elementNumbers_->setChecked(false);
    if (scroll_) {
        scroll_->setSliderPosition(options_.magnification);
        scroll_->setEnabled(solved);
    }
    FillViews();
    surface_->SetNote(note);
    surface_->Fit();
    PlaceControls();
    Redraw();
}

void PlotWindow::FillViews()
{
    views_->clear();
    for (int v = 0; v < PlotViewCount; ++v) {
        const auto view = static_cast<PlotView>(v);
        if (model_.Shows(view))
            views_->addItem(QString::fromLatin1(ViewTitle(view)), v);
    }
    views_->setCurrentIndex(std::max(0, views_->findData(static_cast<int>(options_.view))));
}

void PlotWindow::SetView(PlotView view)
{
    if (!model_.Shows(view))
        return;
    options_.view = view;
    views_->setCurrentIndex(std::max(0, views_->findData(static_cast<int>(view))));
    Redraw();
}

void PlotWindow::CopyPicture()
{
    QGuiApplication::clipboard()->setImage(surface_->Picture());
}

void PlotWindow::SavePicture()
{
    const QString path = PictureFileChooser()(this);
    if (path.isEmpty())
        return;
    std::string error;
    if (!IsPictureFileName(ToBytes(path)))
        error = "a picture is saved as .png, .svg or .pdf";
    else if (SavePlotPicture(model_, options_, surface_->Window(), surface_->width(),
                             surface_->height(), ToBytes(path), error))
        return;
    QMessageBox::warning(
        this, QStringLiteral("Save Picture"),
        QStringLiteral("The picture could not be saved to %1:\n%2").arg(path, FromBytes(error)));
}

void PlotWindow::PrintPicture()
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QString name;
    if (!Dialogs().choose(printer, this, name))
        return;
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QRect page = painter.viewport();
    const double w = std::max(surface_->width(), 1), h = std::max(surface_->height(), 1);
    const double k = std::min(page.width() / w, page.height() / h);
    painter.scale(k, k);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintView(painter, QRectF(0, 0, w, h), model_, options_, surface_->Window());
    painter.end();
}

void PlotWindow::Scrolled(int action)
{
    options_.magnification = MagnificationAfterScroll(options_.magnification, ActionOf(action),
                                                      scroll_->sliderPosition());
    scroll_->setSliderPosition(options_.magnification);
    ProgramSettings()->setValue(QLatin1String(MagnificationKey), options_.magnification);
    // Moving the scroll bar shows the deformed shape.
    if (options_.view != PlotView::Deformed && model_.Shows(PlotView::Deformed))
        SetView(PlotView::Deformed);
    Redraw();
}

void PlotWindow::ToggleGridNumbers()
{
    options_.showGridNumbers = !options_.showGridNumbers;
    numbers_->setChecked(options_.showGridNumbers);
    Redraw();
}

void PlotWindow::Redraw()
{
    surface_->SetPicture(&model_, options_);
    if (factor_) {
        const double f = MagnificationFactor(model_, options_.magnification);
        factor_->setText(f > 0 ? QStringLiteral("x ") + FromBytes(NumberText(f, 4)).trimmed()
                               : QString());
    }
}

void PlotWindow::PlaceControls()
{
    const int w = width(), h = height();
    const int strip = Dy(ControlStrip);
    // The row above the surface.
    const int rowHeight = views_->sizeHint().height() + 6;
    int x = 4;
    auto place = [&](QWidget* widget, int width) {
        widget->setGeometry(x, 3, width, rowHeight - 6);
        x += width + 6;
    };
    place(views_, std::max(views_->sizeHint().width(), Dx(90)));
    place(elementNumbers_, elementNumbers_->sizeHint().width());
    for (QPushButton* b : {copy_, save_, print_})
        place(b, b->sizeHint().width());
    surface_->setGeometry(0, rowHeight, w, std::max(0, h - strip - rowHeight));
    rule_->setGeometry(0, h - strip, w, 2);
    const int row = h - Dy(60);
    if (scroll_) {
        const int barHeight = scroll_->sizeHint().height();
        scroll_->setGeometry(Dx(40), row + (Dy(16) - barHeight) / 2, Dx(160), barHeight);
        scrollLabel_->setGeometry(Dx(40), h - Dy(40), Dx(160), scrollLabel_->sizeHint().height());
        factor_->setGeometry(Dx(204), row, Dx(44), Dy(16));
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

void ShowPlotOfListing(Analysis& a, QWidget* mainWindow, int kind)
{
    ShowPlotWindow(a, mainWindow, true, std::string_view());
    if (PlotWindow* window = OpenWindow())
        window->SetView(ViewOfListing(kind));
}

void ClosePlotWindow()
{
    if (PlotWindow* window = OpenWindow())
        window->close();
}

} // namespace tavu

#pragma once
// The plot window: the model scaled to fit (y up), the deformed shape at the scroll
// bar's magnification, and grid numbers on request.

#include "results/PlotGeometry.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;

namespace tavu {
struct Analysis;
}

namespace tavu::plot {

// The file a picture is saved to (.png, .svg or .pdf); empty when the user cancels. The
// save dialog unless a test replaced it.
std::function<QString(QWidget* parent)>& PictureFileChooser();

// The drawing surface (control 800): zoom with the wheel or + and -, pan by dragging,
// Home fits the model again.
class PlotSurface : public QWidget
{
    Q_OBJECT
public:
    explicit PlotSurface(QWidget* parent);
    void SetPicture(const PlotModel* model, const PlotOptions& options);
    // Text shown instead of a plot (the model could not be read).
    void SetNote(const QString& note);
    const QString& Note() const { return note_; }
    // The part of the world shown now, and the fitted one.
    WorldWindow Window() const;
    WorldWindow FitWindow() const;
    const ViewZoom& Zoom() const { return zoom_; }
    void Fit();
    // The view as shown, on an image of the surface's size.
    QImage Picture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ZoomAt(double step, QPointF pixel);
    PlotPoint WorldAt(QPointF pixel) const;

    // The picture of the options at a symbol size: panning draws it again as it is.
    const PlotPicture& PictureFor(const PlotOptions& options) const;

    const PlotModel* model_ = nullptr;
    PlotOptions options_;
    ViewZoom zoom_;
    mutable PlotPicture picture_;
    mutable PlotOptions pictureOptions_;
    mutable bool pictureValid_ = false;
    QString note_;
    bool dragging_ = false;
    QPointF lastDrag_;
};

class PlotWindow : public QWidget
{
    Q_OBJECT
public:
    PlotWindow(Analysis& a, QWidget* mainWindow);
    ~PlotWindow() override;

    // The window's opening: reads an unread model (from editorText when its lines are
    // stale), takes the grids, elements and deflections, and resets the magnification
    // and the grid numbers.
    void Open(std::string_view editorText);

    int Magnification() const { return options_.magnification; }
    bool ShowGridNumbers() const { return options_.showGridNumbers; }
    PlotView View() const { return options_.view; }
    // Shows a view (one the model has results for).
    void SetView(PlotView view);
    const PlotModel& Model() const { return model_; }
    // The scroll bar; null when the window opened before the model was read.
    QScrollBar* ScrollBar() const { return scroll_; }
    PlotSurface* Surface() const { return surface_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Scrolled(int action);
    void ToggleGridNumbers();
    void Redraw();
    void FillViews();
    void CopyPicture();
    void SavePicture();
    void PrintPicture();
    void PlaceControls();
    int Dx(double units) const;
    int Dy(double units) const;

    Analysis& a_;
    QPointer<QWidget> mainWindow_;
    PlotModel model_;
    PlotOptions options_;
    double unitX_ = 1, unitY_ = 1; // one dialog unit in pixels, from the window font

    PlotSurface* surface_ = nullptr;
    QFrame* rule_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QLabel* scrollLabel_ = nullptr;
    QCheckBox* numbers_ = nullptr;
    QLabel* numbersLabel_ = nullptr;
    QLabel* factor_ = nullptr; // the magnification as a factor, beside the scroll bar
    QComboBox* views_ = nullptr;
    QCheckBox* elementNumbers_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* print_ = nullptr;
};

} // namespace tavu::plot

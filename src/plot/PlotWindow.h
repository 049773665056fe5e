#pragma once
// The plot window: the model scaled to fit (y up), the deformed shape at the scroll
// bar's magnification, and grid numbers on request.

#include "results/PlotGeometry.h"

#include <QPointer>
#include <QWidget>
#include <string>
#include <string_view>

class QCheckBox;
class QFrame;
class QLabel;
class QScrollBar;

namespace tavu {
struct Analysis;
}

namespace tavu::plot {

// The drawing surface (control 800).
class PlotSurface : public QWidget
{
    Q_OBJECT
public:
    explicit PlotSurface(QWidget* parent);
    void SetPicture(const PlotModel* model, int magnification, bool showGridNumbers);
    // Text shown instead of a plot (the model could not be read).
    void SetNote(const QString& note);
    const QString& Note() const { return note_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PlotModel* model_ = nullptr;
    int magnification_ = 0;
    bool showGridNumbers_ = false;
    QString note_;
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

    int Magnification() const { return magnification_; }
    bool ShowGridNumbers() const { return showGridNumbers_; }
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
    void PlaceControls();
    int Dx(double units) const;
    int Dy(double units) const;

    Analysis& a_;
    QPointer<QWidget> mainWindow_;
    PlotModel model_;
    int magnification_ = 0;
    bool showGridNumbers_ = false;
    double unitX_ = 1, unitY_ = 1; // one dialog unit in pixels, from the window font

    PlotSurface* surface_ = nullptr;
    QFrame* rule_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QLabel* scrollLabel_ = nullptr;
    QCheckBox* numbers_ = nullptr;
    QLabel* numbersLabel_ = nullptr;
};

} // namespace tavu::plot

#pragma once
// The results window: one of four listings at a time (Deflections, Reactions, Beam
// Forces, Quad stresses as corner values or element averages) under heading labels, with
// Print and Copy.

#include "common/Analysis.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tavu::app {

class DialogUnits;
class UserPrompts;

// What the results window needs from the main window.
struct ResultsHost
{
    std::function<void()> focusEditor;          // when the window goes
    std::function<std::string()> modelFileName; // heads printed pages
};

class ResultsWindow : public QWidget
{
    Q_OBJECT
public:
    // Placed right of and below mainWindow.
    ResultsWindow(Analysis& a, UserPrompts& prompts, QWidget* mainWindow, ResultsHost host);
    ~ResultsWindow() override;

    bool AverageStresses() const { return average_; }

    // As a click on option 711..714 (kind 1..4).
    void SelectKind(int kind);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void SetWide(bool wide);
    void Fill();
    void ToggleAverage();
    void Print();
    void Copy();
    void LayOut();

    Analysis& a_;
    UserPrompts& prompts_;
    ResultsHost host_;
    std::array<QRadioButton*, 4> options_{};
    QCheckBox* averageBox_ = nullptr;
    QListWidget* list_ = nullptr;
    std::array<QLabel*, 7> headings_{};
    QPushButton* print_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* plot_ = nullptr; // the plot of what the listing shows
    QPointer<QWidget> mainWindow_;

    int kind_ = 1;
    bool average_ = false;
    bool wide_ = false;
    QString listingText_;
};

} // namespace tavu::app

#pragma once
// The summary window: a run proceeds in it step by step. It shows the processing texts
// and offers Continue (later "Finish") and Cancel; the driver decides what they do.

#include "driver/Driver.h"

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace tavu::app {

class SummaryDialog : public QDialog, public SummaryWindow
{
    Q_OBJECT
public:
    // focusEditor puts the keyboard focus in the main window's editor; followLine selects
    // a model line there and gives it the focus.
    SummaryDialog(Analysis& a, DriverEvents* events, std::function<void()> focusEditor,
                  std::function<void(int)> followLine, QWidget* owner);

    // Runs the step the model has reached; false when the window was closed by it.
    bool Start(std::string_view editorText);

    // Progress lines while elements are processed, painted at once.
    void ShowProgress(const std::string& text);

    // SummaryWindow
    void SetTitle(const std::string& title) override;
    void ShowText(const std::string& text) override;
    void DisableContinue() override;
    void FocusContinue() override;
    void FocusCancel() override;
    void TurnContinueIntoFinish() override;
    bool AskLoadScalars(Analysis& a) override;
    void Close() override;
    void FocusEditor() override;

public slots:
    void reject() override; // Esc and the title bar's close button act as Cancel

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnContinue();
    // The model line a line of the text leads to, or 0.
    int LinkOfBlock(int block) const;
    // Follows the message on the text's line under the point (viewport coordinates) or,
    // with no point, at the caret; false when that line leads nowhere.
    bool FollowLink(std::optional<QPoint> at);

    Analysis& a_;
    DriverEvents* events_;
    std::function<void()> focusEditor_;
    std::function<void(int)> followLine_;
    std::vector<int> links_; // per line of the text: the model line it leads to, or 0
    bool followed_ = false;  // a click followed a message: the text keeps its place
    QPlainTextEdit* text_;
    QPushButton* continue_;
    QPushButton* cancel_;
    bool closed_ = false;
    QElapsedTimer painted_;
};

} // namespace tavu::app

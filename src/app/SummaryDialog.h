#pragma once
// The summary window: a run proceeds in it step by step. It shows the processing texts
// and offers Continue (later "Finish") and Cancel; the driver decides what they do.

#include "driver/Driver.h"

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <string_view>

class QPlainTextEdit;
class QPushButton;

namespace tavu::app {

class SummaryDialog : public QDialog, public SummaryWindow
{
    Q_OBJECT
public:
    // focusEditor puts the keyboard focus in the main window's editor.
    SummaryDialog(Analysis& a, DriverEvents* events, std::function<void()> focusEditor,
                  QWidget* owner);

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

    Analysis& a_;
    DriverEvents* events_;
    std::function<void()> focusEditor_;
    QPlainTextEdit* text_;
    QPushButton* continue_;
    QPushButton* cancel_;
    bool closed_ = false;
    QElapsedTimer painted_;
};

} // namespace tavu::app

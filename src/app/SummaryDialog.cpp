#include "app/SummaryDialog.h"

#include "app/AppText.h"
#include "app/DialogUnits.h"
#include "app/ScalarsDialog.h"
#include "driver/Commands.h"
#include "plot/WindowSupport.h"

#include <QEvent>
#include <QFocusEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace tavu::app {

SummaryDialog::SummaryDialog(Analysis& a, DriverEvents* events, std::function<void()> focusEditor,
                             QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      a_(a), events_(events), focusEditor_(std::move(focusEditor))
{
    setObjectName(QStringLiteral("summaryWindow"));
    setWindowTitle(QString::fromLatin1(SummaryInitialTitle));
    setModal(false);
    const DialogUnits du(font());
    setFixedSize(du.ClientOfWindow(SummaryWidthDu, SummaryHeightDu));

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("summaryText"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setGeometry(du.Rect(SummaryTextRect));
    // Only a click gives it the focus (which it hands back to the editor at once), so
    // the window's own keyboard focus stays on its buttons.
    text_->setFocusPolicy(Qt::ClickFocus);
    text_->installEventFilter(this);

    continue_ = new QPushButton(QStringLiteral("C&ontinue"), this);
    continue_->setObjectName(QStringLiteral("continueButton"));
    continue_->setGeometry(du.Rect(SummaryContinueRect));
    continue_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setGeometry(du.Rect(SummaryCancelRect));
    cancel_->setAutoDefault(true);

    connect(continue_, &QPushButton::clicked, this, &SummaryDialog::OnContinue);
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelStep(a_, *this); });
    painted_.start();
}

bool SummaryDialog::Start(std::string_view editorText)
{
    continue_->setDefault(true);
    StartStep(a_, *this, editorText, events_);
    return !closed_;
}

void SummaryDialog::OnContinue()
{
    ContinueStep(a_, *this, events_);
}

void SummaryDialog::reject()
{
    if (!closed_)
        CancelStep(a_, *this);
}

void SummaryDialog::SetTitle(const std::string& title)
{
    setWindowTitle(FromCore(title));
}

void SummaryDialog::ShowText(const std::string& text)
{
    text_->setPlainText(DisplayText(text));
}

void SummaryDialog::ShowProgress(const std::string& text)
{
    ShowText(text);
    // The step runs without returning to the event loop: paint now and then so the
    // progress can be seen.
    if (isVisible() && painted_.elapsed() > 100) {
        text_->repaint();
        painted_.restart();
    }
}

void SummaryDialog::DisableContinue()
{
    continue_->setEnabled(false);
}

void SummaryDialog::FocusContinue()
{
    if (!closed_ && continue_->isEnabled())
        continue_->setFocus();
}

void SummaryDialog::FocusCancel()
{
    cancel_->setFocus();
}

void SummaryDialog::TurnContinueIntoFinish()
{
    continue_->setText(QString::fromLatin1(FinishText));
    cancel_->setFixedSize(0, 0);
    cancel_->hide();
}

bool SummaryDialog::AskLoadScalars(Analysis& a)
{
    ScalarsDialog dialog(a, this);
    const DialogUnits du(font());
    const QPoint origin = isVisible() ? mapToGlobal(QPoint(0, 0)) : geometry().topLeft();
    plot::PlaceOnScreen(&dialog, QRect(origin + QPoint(du.X(10), 0), dialog.size()));
    return dialog.exec() == QDialog::Accepted;
}

void SummaryDialog::Close()
{
    if (closed_)
        return;
    closed_ = true;
    hide();
    deleteLater();
}

void SummaryDialog::FocusEditor()
{
    if (focusEditor_)
        focusEditor_();
}

bool SummaryDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == text_ && event->type() == QEvent::FocusIn) {
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
            // A click into the text shows its beginning; the focus goes back to the
            // model editor, as after every command of this window.
            QTextCursor c = text_->textCursor();
            c.setPosition(0);
            text_->setTextCursor(c);
            text_->ensureCursorVisible();
            QTimer::singleShot(0, this, [this] { FocusEditor(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tavu::app

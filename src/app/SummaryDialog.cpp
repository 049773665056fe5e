#include "app/SummaryDialog.h"

#include "app/AppText.h"
#include "app/DialogUnits.h"
#include "app/ScalarsDialog.h"
#include "driver/Commands.h"
#include "plot/WindowSupport.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>

namespace tavu::app {

SummaryDialog::SummaryDialog(Analysis& a, DriverEvents* events, std::function<void()> focusEditor,
                             std::function<void(int)> followLine, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      a_(a), events_(events), focusEditor_(std::move(focusEditor)),
      followLine_(std::move(followLine))
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
    // A click gives it the focus only to hand it back to the editor, so the window's own
    // keyboard focus stays on its buttons; Tab reaches it for following messages with the
    // arrow keys and Enter.
    text_->setFocusPolicy(Qt::StrongFocus);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->installEventFilter(this);
    text_->viewport()->installEventFilter(this);
    text_->viewport()->setMouseTracking(true);

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
    links_ = MessageLinks(a_, text);
    // A message that leads to its record looks like a link.
    QTextCharFormat link;
    link.setForeground(palette().color(QPalette::Link));
    link.setFontUnderline(true);
    QTextCursor c(text_->document());
    for (int block = 0; block < static_cast<int>(links_.size()); ++block) {
        if (links_[static_cast<std::size_t>(block)] == 0)
            continue;
        c.setPosition(text_->document()->findBlockByNumber(block).position());
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.mergeCharFormat(link);
    }
}

int SummaryDialog::LinkOfBlock(int block) const
{
    return block >= 0 && block < static_cast<int>(links_.size())
               ? links_[static_cast<std::size_t>(block)]
               : 0;
}

bool SummaryDialog::FollowLink(std::optional<QPoint> at)
{
    const QTextCursor c = at ? text_->cursorForPosition(*at) : text_->textCursor();
    const int line = LinkOfBlock(c.blockNumber());
    if (line == 0 || !followLine_)
        return false;
    followLine_(line);
    return true;
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
    if (watched == text_ && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
        // A click into the text shows its beginning, unless it followed a message; the
        // focus goes back to the model editor, as after every command of this window.
        // The click itself comes after this: decide once it has been seen.
        QTimer::singleShot(0, this, [this] {
            if (!followed_) {
                QTextCursor c = text_->textCursor();
                c.setPosition(0);
                text_->setTextCursor(c);
                text_->ensureCursorVisible();
                FocusEditor();
            }
            followed_ = false;
        });
    } else if (watched == text_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && FollowLink(std::nullopt))
            return true;
    } else if (watched == text_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            followed_ = FollowLink(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (followed_)
                return true;
        } else if (event->type() == QEvent::MouseMove) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            const bool onLink = LinkOfBlock(text_->cursorForPosition(at).blockNumber()) != 0;
            text_->viewport()->setCursor(onLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tavu::app

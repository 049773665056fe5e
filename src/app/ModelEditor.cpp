#include "app/ModelEditor.h"

#include "app/AppText.h"
#include "app/ModelHighlighter.h"
#include "driver/Commands.h"
#include "plot/WindowSupport.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QUrl>

namespace tavu::app {

namespace {

// The margin left of the text: the numbers of the file lines shown.
class LineNumberMargin : public QWidget
{
public:
    explicit LineNumberMargin(ModelEditor* editor) : QWidget(editor), editor_(editor)
    {
        setObjectName(QStringLiteral("lineNumbers"));
    }
    QSize sizeHint() const override { return QSize(editor_->MarginWidth(), 0); }

protected:
    void paintEvent(QPaintEvent* e) override { editor_->PaintMargin(e); }

private:
    ModelEditor* editor_;
};

QTextDocument::FindFlags FlagsOf(bool matchCase)
{
    return matchCase ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
}

} // namespace

QString DroppedModelFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && IsModelFileName(ToCore(url.fileName())))
            return url.toLocalFile();
    return QString();
}

ModelEditor::ModelEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    setFont(plot::FixedPitchFont(9));
    SetWrap(true);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setTabChangesFocus(false);
    new ModelHighlighter(document());

    margin_ = new LineNumberMargin(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { PlaceMargin(); });
    connect(this, &QPlainTextEdit::updateRequest, this, &ModelEditor::UpdateMargin);
    PlaceMargin();
    connect(document(), &QTextDocument::contentsChange, this, &ModelEditor::OnContentsChange);
}

QString ModelEditor::ModelText() const
{
    // The raw text keeps every character (the plain text would turn no-break spaces
    // into blanks); blocks are separated by paragraph separators.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void ModelEditor::SetModelText(const QString& text)
{
    replacing_ = true;
    setPlainText(text);
    replacing_ = false;
}

void ModelEditor::OnContentsChange(int position, int removed, int added)
{
    if (replacing_ || (removed == 0 && added == 0))
        return;
    const QTextBlock block = document()->findBlock(position);
    const int line = block.isValid() ? block.blockNumber() + 1 : document()->blockCount();
    emit TextEdited(line);
}

int ModelEditor::CaretLine() const
{
    return textCursor().blockNumber() + 1;
}

void ModelEditor::SetWrap(bool wrap)
{
    setLineWrapMode(wrap ? WidgetWidth : NoWrap);
    setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

bool ModelEditor::FindNext(const QString& what, bool matchCase)
{
    if (what.isEmpty())
        return false;
    QTextCursor found = document()->find(what, textCursor(), FlagsOf(matchCase));
    if (found.isNull())
        found = document()->find(what, 0, FlagsOf(matchCase));
    if (found.isNull())
        return false;
    setTextCursor(found);
    return true;
}

bool ModelEditor::ReplaceNext(const QString& what, const QString& with, bool matchCase)
{
    QTextCursor c = textCursor();
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (!what.isEmpty() && c.hasSelection() && c.selectedText().compare(what, cs) == 0) {
        c.insertText(with);
        setTextCursor(c);
    }
    return FindNext(what, matchCase);
}

int ModelEditor::ReplaceAll(const QString& what, const QString& with, bool matchCase)
{
    if (what.isEmpty())
        return 0;
    int count = 0;
    QTextCursor step(document());
    step.beginEditBlock();
    for (QTextCursor found = document()->find(what, 0, FlagsOf(matchCase)); !found.isNull();
         found = document()->find(what, found, FlagsOf(matchCase))) {
        found.insertText(with);
        ++count;
    }
    step.endEditBlock();
    return count;
}

void ModelEditor::GoToLine(int line)
{
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    setTextCursor(QTextCursor(block));
    centerCursor();
}

void ModelEditor::SelectLine(int line)
{
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    setTextCursor(c);
    centerCursor();
}

int ModelEditor::MarginWidth() const
{
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * marginDigits_;
}

void ModelEditor::PlaceMargin()
{
    // At least three digits, so that the text does not shift while a model grows.
    const int digits = std::max(3, static_cast<int>(QString::number(blockCount()).size()));
    if (digits != marginDigits_) {
        marginDigits_ = digits;
        setViewportMargins(MarginWidth(), 0, 0, 0);
    }
    const QRect r = contentsRect();
    margin_->setGeometry(r.left(), r.top(), MarginWidth(), r.height());
}

void ModelEditor::UpdateMargin(const QRect& rect, int dy)
{
    if (dy != 0)
        margin_->scroll(0, dy);
    else
        margin_->update(0, rect.y(), margin_->width(), rect.height());
}

void ModelEditor::PaintMargin(QPaintEvent* e)
{
    QPainter painter(margin_);
    painter.fillRect(e->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.setFont(font());
    const int right = margin_->width() - 4;
    const int lineHeight = fontMetrics().height();
    // Only the lines in view are visited.
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= e->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= e->rect().top())
            painter.drawText(0, top, right, lineHeight, Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        top += height;
        block = block.next();
    }
}

void ModelEditor::resizeEvent(QResizeEvent* e)
{
    QPlainTextEdit::resizeEvent(e);
    PlaceMargin();
}

void ModelEditor::keyPressEvent(QKeyEvent* e)
{
    // Shift+Enter would put a line separator inside the line; every Enter starts a new
    // line of the model.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        (e->modifiers() & Qt::ShiftModifier)) {
        textCursor().insertText(QStringLiteral("\n"));
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

void ModelEditor::focusInEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusInEvent(e);
    emit FocusGained();
}

bool ModelEditor::canInsertFromMimeData(const QMimeData* source) const
{
    return !DroppedModelFile(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void ModelEditor::dropEvent(QDropEvent* e)
{
    const QString file = DroppedModelFile(e->mimeData());
    if (file.isEmpty()) {
        QPlainTextEdit::dropEvent(e);
        return;
    }
    e->acceptProposedAction();
    emit ModelFileDropped(file);
}

} // namespace tavu::app

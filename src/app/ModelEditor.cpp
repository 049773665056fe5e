#include "app/ModelEditor.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

namespace tavu::app {

ModelEditor::ModelEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    QFont font(QStringLiteral("Courier New"), 9);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(9);
    }
    setFont(font);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setTabChangesFocus(false);
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

namespace {

int LinesOf(QPlainTextDocumentLayout* layout, const QTextBlock& block)
{
    if (layout)
        layout->ensureBlockLayout(block);
    const QTextLayout* tl = block.layout();
    return tl ? std::max(1, tl->lineCount()) : 1;
}

} // namespace

int ModelEditor::VisualLineCount() const
{
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document()->documentLayout());
    int n = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
        n += LinesOf(layout, b);
    return std::max(1, n);
}

int ModelEditor::CaretVisualLine() const
{
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document()->documentLayout());
    const QTextCursor cursor = textCursor();
    const QTextBlock caretBlock = cursor.block();
    int n = 0;
    for (QTextBlock b = document()->begin(); b.isValid() && b != caretBlock; b = b.next())
        n += LinesOf(layout, b);
    LinesOf(layout, caretBlock);
    int within = 0;
    if (const QTextLayout* tl = caretBlock.layout(); tl && tl->lineCount() > 0) {
        const QTextLine line = tl->lineForTextPosition(cursor.positionInBlock());
        if (line.isValid())
            within = line.lineNumber();
    }
    return n + within + 1;
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

void ModelEditor::keyReleaseEvent(QKeyEvent* e)
{
    QPlainTextEdit::keyReleaseEvent(e);
    emit CaretMoved();
}

void ModelEditor::mouseReleaseEvent(QMouseEvent* e)
{
    QPlainTextEdit::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton)
        emit CaretMoved();
}

void ModelEditor::focusInEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusInEvent(e);
    // A menu closing gives the focus back without it having left; a click places the
    // caret where it points.
    emit FocusGained(e->reason() != Qt::PopupFocusReason && e->reason() != Qt::MouseFocusReason);
}

void ModelEditor::MoveCaretToTop()
{
    QTextCursor c = textCursor();
    c.setPosition(0);
    setTextCursor(c);
    ensureCursorVisible();
}

} // namespace tavu::app

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

// Up to this many text lines every line is laid out to count its screen lines exactly;
// in a longer text the lines not laid out yet (never shown) count as one each, as the
// editor itself counts them for its scroll bar.
constexpr int ExactCountLimit = 20000;

int LinesOf(QPlainTextDocumentLayout* layout, const QTextBlock& block, bool exact)
{
    if (exact && layout)
        layout->ensureBlockLayout(block);
    const QTextLayout* tl = block.layout();
    if (tl && tl->lineCount() > 0)
        return tl->lineCount();
    return std::max(1, block.lineCount());
}

} // namespace

int ModelEditor::VisualLineCount() const
{
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document()->documentLayout());
    const bool exact = document()->blockCount() <= ExactCountLimit;
    int n = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
        n += LinesOf(layout, b, exact);
    return std::max(1, n);
}

int ModelEditor::CaretVisualLine() const
{
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document()->documentLayout());
    const bool exact = document()->blockCount() <= ExactCountLimit;
    const QTextCursor cursor = textCursor();
    const QTextBlock caretBlock = cursor.block();
    int n = 0;
    for (QTextBlock b = document()->begin(); b.isValid() && b != caretBlock; b = b.next())
        n += LinesOf(layout, b, exact);
    LinesOf(layout, caretBlock, true);
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

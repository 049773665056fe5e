#pragma once
// The model editor: plain text in a fixed-pitch font, long lines wrapped at the right
// edge. It reports where each change of the text begins, measures the caret's line as
// the editor shows its lines (wrapped lines count), and puts the caret back at the top
// whenever it gains the focus.

#include <QPlainTextEdit>

namespace tavu::app {

class ModelEditor : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ModelEditor(QWidget* parent = nullptr);

    // The whole text with "\n" between lines, every character as typed or loaded.
    QString ModelText() const;
    // Replaces the whole text without reporting a change.
    void SetModelText(const QString& text);

    // Lines as the editor shows them, wrapped lines included (at least 1).
    int VisualLineCount() const;
    // The caret's line in that count, from 1.
    int CaretVisualLine() const;
    // Caret to the start of the text, scrolled into view.
    void MoveCaretToTop();

signals:
    // The text changed; line is the 1-based text line where the change begins.
    void TextEdited(int line);
    // A key or the left mouse button was released: the caret may have moved.
    void CaretMoved();
    // The editor gained the keyboard focus. caretToTop is false when a click gave it
    // (the click places the caret) or a menu gave it back.
    void FocusGained(bool caretToTop);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    void OnContentsChange(int position, int removed, int added);

    bool replacing_ = false;
};

} // namespace tavu::app

#pragma once
// The model editor: plain text in a fixed-pitch font with the file's line numbers in a
// margin and the records coloured by their parts; long lines wrap at the right edge
// unless wrapping is turned off. It reports where each change of the text begins,
// finds, replaces and goes to lines, and hands a model file dropped on it to the main
// window instead of inserting its name. The caret stays where the user left it.

#include <QPlainTextEdit>

class QMimeData;

namespace tavu::app {

// The first local file of the drop that is a model file (".tav"); empty when none is.
QString DroppedModelFile(const QMimeData* data);

class ModelEditor : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ModelEditor(QWidget* parent = nullptr);

    // The whole text with "\n" between lines, every character as typed or loaded.
    QString ModelText() const;
    // Replaces the whole text without reporting a change; the caret goes to the top and
    // the undo history starts afresh.
    void SetModelText(const QString& text);

    // Lines of the text as the file has them (a wrapped line is one line), at least 1.
    int LineCount() const { return blockCount(); }
    // The caret's line in that count, from 1.
    int CaretLine() const;

    void SetWrap(bool wrap);
    bool Wraps() const { return lineWrapMode() != NoWrap; }

    // Selects the next occurrence of what after the caret, going round from the top;
    // false when the text holds none.
    bool FindNext(const QString& what, bool matchCase);
    // Replaces the selection when it is an occurrence of what, then selects the next one;
    // false when none is left.
    bool ReplaceNext(const QString& what, const QString& with, bool matchCase);
    // Replaces every occurrence as one step of the undo history; returns how many.
    int ReplaceAll(const QString& what, const QString& with, bool matchCase);
    // Caret to the start of the line (1-based), shown in the middle of the editor.
    void GoToLine(int line);
    // The line (1-based) selected, the caret at its end, shown in the middle of the editor.
    void SelectLine(int line);

    // The line-number margin.
    QWidget* Margin() const { return margin_; }
    int MarginWidth() const;
    void PaintMargin(QPaintEvent* e);

signals:
    // The text changed; line is the 1-based text line where the change begins.
    void TextEdited(int line);
    // The editor gained the keyboard focus.
    void FocusGained();
    // A model file was dropped on the editor.
    void ModelFileDropped(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void dropEvent(QDropEvent* e) override;

private:
    void OnContentsChange(int position, int removed, int added);
    void UpdateMargin(const QRect& rect, int dy);
    void PlaceMargin();

    QWidget* margin_ = nullptr;
    int marginDigits_ = 0;
    bool replacing_ = false;
};

} // namespace tavu::app

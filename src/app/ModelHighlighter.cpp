#include "app/ModelHighlighter.h"

#include "model/Keywords.h"

namespace tavu::app {

ModelHighlighter::ModelHighlighter(QTextDocument* document) : QSyntaxHighlighter(document)
{
    auto& keyword = formats_[static_cast<std::size_t>(LinePart::Keyword)];
    keyword.setForeground(QColor(0, 0, 160));
    keyword.setFontWeight(QFont::Bold);
    formats_[static_cast<std::size_t>(LinePart::Option)].setForeground(QColor(128, 0, 128));
    formats_[static_cast<std::size_t>(LinePart::Number)].setForeground(QColor(0, 100, 100));
    auto& comment = formats_[static_cast<std::size_t>(LinePart::Comment)];
    comment.setForeground(QColor(0, 120, 0));
    comment.setFontItalic(true);
    auto& unknown = formats_[static_cast<std::size_t>(LinePart::Unknown)];
    unknown.setForeground(QColor(190, 0, 0));
    unknown.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    unknown.setUnderlineColor(QColor(220, 0, 0));
}

void ModelHighlighter::highlightBlock(const QString& text)
{
    // One byte per character, so that the offsets of the spans are character positions:
    // every character beyond ASCII stands for a byte of a word, as it would in the file.
    bytes_.resize(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        bytes_[static_cast<std::size_t>(i)] = c < 0x80 ? static_cast<char>(c) : '\xFF';
    }
    for (const LineSpan& span : ClassifyLine(bytes_))
        setFormat(static_cast<int>(span.start), static_cast<int>(span.length),
                  formats_[static_cast<std::size_t>(span.part)]);
}

} // namespace tavu::app

#pragma once
// Colours the model text line by line as the core classifies it: keywords, option words,
// numbers and comments; a record without a known keyword is underlined in red.

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <array>
#include <string>

namespace tavu::app {

class ModelHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    explicit ModelHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    std::array<QTextCharFormat, 5> formats_;
    std::string bytes_;
};

} // namespace tavu::app

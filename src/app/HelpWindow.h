#pragma once
// The help window: our user guide and the reference of the model records, as pages in a
// browser with links between them.

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QPushButton;

namespace tavu::app {

class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    static QUrl GuidePage();
    static QUrl SyntaxPage();

    void ShowPage(const QUrl& page);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QPushButton* back_;
};

} // namespace tavu::app

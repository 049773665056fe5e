#include "app/HelpWindow.h"

#include "app/DialogUnits.h"
#include "plot/WindowSupport.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

// The pages are compiled into the library; this pulls them in wherever the window is
// used.
static void InitHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace tavu::app {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    InitHelpResources();
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("TAVU Help"));

    auto* guide = new QPushButton(QStringLiteral("&Guide"), this);
    guide->setObjectName(QStringLiteral("helpGuideButton"));
    auto* syntax = new QPushButton(QStringLiteral("&Syntax"), this);
    syntax->setObjectName(QStringLiteral("helpSyntaxButton"));
    back_ = new QPushButton(QStringLiteral("&Back"), this);
    back_->setObjectName(QStringLiteral("helpBackButton"));
    back_->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("helpCloseButton"));

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(guide);
    buttons->addWidget(syntax);
    buttons->addWidget(back_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);

    connect(guide, &QPushButton::clicked, this, [this] { ShowPage(GuidePage()); });
    connect(syntax, &QPushButton::clicked, this, [this] { ShowPage(SyntaxPage()); });
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    plot::CloseOnEscape(this);

    // Beside the main window, inside the screen.
    const DialogUnits du(font());
    const QPoint origin = parent ? parent->frameGeometry().topLeft() + QPoint(du.X(30), du.Y(30))
                                 : QPoint(du.X(30), du.Y(30));
    plot::PlaceOnScreen(this, QRect(origin, du.Size(330, 300)));
}

QUrl HelpWindow::GuidePage()
{
    return QUrl(QStringLiteral("qrc:/help/guide.html"));
}

QUrl HelpWindow::SyntaxPage()
{
    return QUrl(QStringLiteral("qrc:/help/syntax.html"));
}

void HelpWindow::ShowPage(const QUrl& page)
{
    browser_->setSource(page);
    show();
    raise();
    activateWindow();
}

} // namespace tavu::app

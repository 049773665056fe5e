#include "app/AboutBox.h"

#include "app/AppIcon.h"
#include "app/DialogUnits.h"
#include "driver/Commands.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

namespace tavu::app {

LinkLabel::LinkLabel(const QString& text, const QUrl& target, QWidget* parent)
    : QLabel(text, parent), target_(target)
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setPointSize(10);
    f.setUnderline(true);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(p);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        QDesktopServices::openUrl(target_);
}

AboutBox::AboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QString::fromLatin1(AboutTitle));
    setModal(true);
    const DialogUnits du(font());
    setFixedSize(du.ClientOfWindow(240, 160));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setGeometry(du.X(10), du.Y(10), 32, 32);

    auto* headline = new QLabel(QString::fromLatin1(AboutHeadline), this);
    headline->setObjectName(QStringLiteral("about9901"));
    QFont big = font();
    big.setPointSize(14);
    headline->setFont(big);
    QPalette red = headline->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    headline->setPalette(red);
    headline->setGeometry(du.Rect({50, 10, 125, 20}));
    headline->adjustSize();

    auto* platform = new QLabel(QString::fromLatin1(AboutPlatform), this);
    platform->setObjectName(QStringLiteral("about9902"));
    QFont italic = font();
    italic.setPointSize(10);
    italic.setItalic(true);
    platform->setFont(italic);
    // Right after the headline, on its baseline.
    platform->adjustSize();
    platform->move(headline->geometry().right() + 1, headline->geometry().top() +
                                                         headline->fontMetrics().ascent() -
                                                         platform->fontMetrics().ascent());

    auto* version =
        new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(TAVU_VERSION_TEXT)), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    version->setGeometry(du.Rect({50, 38, 180, 10}));
    auto* credit = new QLabel(QStringLiteral("by the TAVU developers"), this);
    credit->setObjectName(QStringLiteral("aboutCredit"));
    credit->setGeometry(du.Rect({50, 52, 180, 10}));

    const QString mail = QString::fromLatin1(ProjectMailAddress).left(63);
    const QString web = QString::fromLatin1(ProjectWebAddress).left(63);
    auto* mailLink =
        new LinkLabel(mail, QUrl(QStringLiteral("mailto:") + mail + QLatin1Char('?')), this);
    mailLink->setObjectName(QStringLiteral("about9904"));
    mailLink->setGeometry(du.Rect({60, 80, 140, 12}));
    auto* webLink = new LinkLabel(web, QUrl(web), this);
    webLink->setObjectName(QStringLiteral("about9905"));
    webLink->setGeometry(du.Rect({60, 95, 140, 12}));
}

void AboutBox::keyPressEvent(QKeyEvent* e)
{
    // Enter closes the box as Escape does; it has no button to press.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace tavu::app

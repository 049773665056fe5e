#include "plot/WindowSupport.h"

#include "driver/Commands.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QWidget>

namespace tavu::plot {

namespace {

FrameMargins FrameOf(const QWidget* window)
{
    const QRect outer = window->frameGeometry(), inner = window->geometry();
    if (window->isVisible() && outer != inner)
        return {inner.left() - outer.left(), inner.top() - outer.top(),
                outer.right() - inner.right(), outer.bottom() - inner.bottom()};
    // Not shown yet: a title bar and thin borders as the style draws them.
    const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border;
    return {border, title, border, border};
}

void Fit(QWidget* window, const QRect& wanted)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize minimum = window->minimumSize().expandedTo(window->minimumSizeHint());
    const PixelRect placed = FitWindow({wanted.x(), wanted.y(), wanted.width(), wanted.height()},
                                       minimum.width(), minimum.height(), FrameOf(window),
                                       {area.x(), area.y(), area.width(), area.height()});
    const QRect target(placed.x, placed.y, placed.w, placed.h);
    if (target != window->geometry())
        window->setGeometry(target);
}

// Checks the place once more when the window first shows with its real frame.
class ShownOnce : public QObject
{
public:
    explicit ShownOnce(QWidget* window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* window = static_cast<QWidget*>(watched);
            QTimer::singleShot(0, window, [window] { Fit(window, window->geometry()); });
            deleteLater();
        }
        return false;
    }
};

} // namespace

QFont FixedPitchFont(int points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(points);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

void PlaceOnScreen(QWidget* window, const QRect& wanted)
{
    Fit(window, wanted);
    if (!window->isVisible() &&
        !window->findChild<ShownOnce*>(QString(), Qt::FindDirectChildrenOnly))
        new ShownOnce(window);
}

void CloseOnEscape(QWidget* window)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

std::unique_ptr<QSettings> ProgramSettings()
{
    return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("vrxSoftware"),
                                       QStringLiteral("TAVU"));
}

} // namespace tavu::plot

#include "app/ResultsWindow.h"

#include "app/AppText.h"
#include "app/Clipboard.h"
#include "app/DialogUnits.h"
#include "app/Prompts.h"
#include "common/Numbers.h"
#include "driver/Commands.h"
#include "model/Diagnostics.h"
#include "plot/PlotApi.h"
#include "plot/WindowSupport.h"
#include "results/Listings.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <new>

namespace tavu::app {

namespace {

// Draws a listing line with its TAB-separated columns at the window's tab stops.
class TabStopDelegate : public QStyledItemDelegate
{
public:
    TabStopDelegate(std::vector<int> stops, int step, QObject* parent)
        : QStyledItemDelegate(parent), stops_(std::move(stops)), step_(step)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        painter->save();
        painter->setFont(opt.font);
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect r = opt.rect.adjusted(2, 0, 0, 0);
        const QFontMetrics fm(opt.font);
        int x = 0;
        const QStringList parts = text.split(QLatin1Char('\t'));
        for (int i = 0; i < parts.size(); ++i) {
            if (i > 0)
                x = NextTabStop(x, stops_, step_);
            painter->drawText(QRect(r.left() + x, r.top(), r.width() - x, r.height()),
                              Qt::AlignLeft | Qt::AlignVCenter, parts[i]);
            x += fm.horizontalAdvance(parts[i]);
        }
        painter->restore();
    }

private:
    std::vector<int> stops_;
    int step_;
};

const char* const OptionTexts[4] = {"Deflections", "Reactions", "Beam Forces", "Quad stresses"};
const DuRect OptionRects[4] = {
    {15, 10, 50, 10}, {15, 20, 50, 10}, {80, 10, 60, 10}, {80, 20, 60, 10}};

} // namespace

ResultsWindow::ResultsWindow(Analysis& a, UserPrompts& prompts, QWidget* mainWindow,
                             ResultsHost host)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      a_(a), prompts_(prompts), host_(std::move(host)), mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("resultsWindow"));
    setWindowTitle(QString::fromLatin1(ResultsTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    const DialogUnits du(font());

    auto* frame = new QGroupBox(this);
    frame->setGeometry(du.Rect({5, 2, 140, 30}));
    for (int k = 0; k < 4; ++k) {
        auto* option = new QRadioButton(QString::fromLatin1(OptionTexts[k]), this);
        option->setObjectName(QStringLiteral("option%1").arg(711 + k));
        option->setGeometry(du.Rect(OptionRects[k]));
        connect(option, &QRadioButton::clicked, this, [this, k] { SelectKind(k + 1); });
        options_[static_cast<std::size_t>(k)] = option;
    }
    options_[2]->setEnabled(a.Model.nBeams > 0);
    options_[3]->setEnabled(a.Model.nQuads > 0);

    averageBox_ = new QCheckBox(QString::fromLatin1(AverageStressesText), this);
    averageBox_->setObjectName(QStringLiteral("averageStresses"));
    averageBox_->setGeometry(du.Rect({280, 20, 80, 10}));
    connect(averageBox_, &QCheckBox::clicked, this, [this] { ToggleAverage(); });

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("resultList"));
    list_->setFont(plot::FixedPitchFont(9));
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setUniformItemSizes(true);
    std::vector<int> stops;
    for (int s : ResultTabStopsDu)
        stops.push_back(du.X(s));
    list_->setItemDelegate(new TabStopDelegate(stops, du.X(60), list_));

    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("heading%1").arg(700 + i));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setGeometry(du.Rect(ResultHeadingRects[static_cast<std::size_t>(i)]));
        headings_[static_cast<std::size_t>(i)] = label;
    }

    print_ = new QPushButton(QStringLiteral("&Print"), this);
    print_->setObjectName(QStringLiteral("printButton"));
    copy_ = new QPushButton(QStringLiteral("C&opy"), this);
    copy_->setObjectName(QStringLiteral("copyButton"));
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* b : {print_, copy_, cancel_})
        b->setAutoDefault(false);
    connect(print_, &QPushButton::clicked, this, [this] { Print(); });
    connect(copy_, &QPushButton::clicked, this, [this] { Copy(); });
    connect(cancel_, &QPushButton::clicked, this, &QWidget::close);
    // Beside the options: the plot of the listing shown (the deformed shape, the moments,
    // the von Mises stress).
    plot_ = new QPushButton(QStringLiteral("P&lot"), this);
    plot_->setObjectName(QStringLiteral("plotButton"));
    plot_->setAutoDefault(false);
    plot_->setGeometry(du.Rect({175, 10, 60, 18}));
    connect(plot_, &QPushButton::clicked, this,
            [this] { ShowPlotOfListing(a_, mainWindow_, kind_); });
    // Escape is Cancel.
    plot::CloseOnEscape(this);

    // Created 260 x 285, then narrow (270) and placed beside the main window.
    const QSize client = du.ClientOfWindow(ResultsCreateWidthDu, ResultsCreateHeightDu);
    setMinimumHeight(du.Y(120));
    resize(client);
    SetWide(false);
    if (mainWindow)
        plot::PlaceOnScreen(
            this, QRect(mainWindow->pos() + QPoint(du.X(ResultsOffsetDu), du.Y(ResultsOffsetDu)),
                        size()));
    options_[0]->setChecked(true);
    SelectKind(DeflectionsKind);
}

ResultsWindow::~ResultsWindow() = default;

void ResultsWindow::closeEvent(QCloseEvent* e)
{
    // The focus goes back to the editor now, not when the window is deleted later, when
    // another window may have taken it meanwhile.
    QWidget::closeEvent(e);
    if (host_.focusEditor)
        host_.focusEditor();
}

void ResultsWindow::SetWide(bool wide)
{
    const DialogUnits du(font());
    const bool changed = wide != wide_;
    wide_ = wide;
    const int width = du.X(ResultsWindowWidth(wide) - FrameWidthDu);
    setMinimumWidth(0);
    setMaximumWidth(QWIDGETSIZE_MAX);
    setFixedWidth(width);
    resize(width, height());
    if (changed) {
        // Moved left to make room, and kept on the screen.
        const int shift = du.X(ResultsWideShiftDu);
        plot::PlaceOnScreen(this, geometry().translated(wide ? -shift : shift, 0));
    }
    headings_[5]->setVisible(wide);
    headings_[6]->setVisible(wide);
    // Beyond the normal width the box cannot be seen; it shows with the quad stresses.
    averageBox_->setVisible(wide);
    LayOut();
}

void ResultsWindow::SelectKind(int kind)
{
    if (kind < DeflectionsKind || kind > QuadStressesKind)
        return;
    if (!options_[static_cast<std::size_t>(kind - 1)]->isEnabled())
        return;
    if (kind == QuadStressesKind && !wide_)
        SetWide(true);
    else if (kind != QuadStressesKind && wide_)
        SetWide(false);
    options_[static_cast<std::size_t>(kind - 1)]->setChecked(true);
    kind_ = kind;
    Fill();
}

void ResultsWindow::ToggleAverage()
{
    average_ = !average_;
    averageBox_->setChecked(average_);
    SelectKind(QuadStressesKind);
}

void ResultsWindow::Fill()
{
    list_->clear();
    const std::array<std::string, 7> headings = ResultHeadings(kind_, average_);
    for (std::size_t i = 0; i < headings.size(); ++i)
        headings_[i]->setText(FromCore(headings[i]));

    // A model read again since the last solution has tables the results do not fit:
    // nothing is listed then.
    if (!ResultsMatchModel(a_)) {
        listingText_.clear();
        return;
    }
    // One pass of the listing's lines gives the list box (all but the headings line) and
    // the clipboard text. A listing too large for the memory says so in its place.
    try {
        QStringList shown;
        std::string text;
        bool headingsLine = true;
        WriteResultLines(a_, kind_, average_, [&](const std::string& line) {
            if (!headingsLine)
                shown << FromCore(line);
            headingsLine = false;
            text += line;
            text += CRLF;
        });
        list_->addItems(shown);
        listingText_ = FromCore(text);
    } catch (const std::bad_alloc&) {
        list_->clear();
        listingText_.clear();
        list_->addItem(FromCore(DiagnosticMessage(Msg::NoMemoryForListings, 0, 0)));
    }
}

void ResultsWindow::Print()
{
    if (prompts_.Ask(this, QString::fromLatin1(PrintResultsTitle),
                     FromCore(PrintResultsQuestion(kind_)), false) == Answer::Yes)
        PrintResultListing(a_, kind_, average_, this,
                           host_.modelFileName ? host_.modelFileName() : std::string());
    print_->setDefault(false);
    activateWindow();
}

void ResultsWindow::Copy()
{
    if (prompts_.Ask(this, QString::fromLatin1(CopyResultsTitle),
                     FromCore(CopyResultsQuestion(kind_)), false) == Answer::Yes)
        CopyTextToClipboard(listingText_);
    copy_->setDefault(false);
    activateWindow();
}

void ResultsWindow::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    LayOut();
}

void ResultsWindow::LayOut()
{
    if (!list_)
        return;
    const DialogUnits du(font());
    const ResultsWindowLayout l =
        ResultsLayout(du.WindowWidthDu(width()), du.WindowHeightDu(height()));
    list_->setGeometry(du.Rect(l.list));
    print_->setGeometry(du.Rect(l.print));
    copy_->setGeometry(du.Rect(l.copy));
    cancel_->setGeometry(du.Rect(l.cancel));
}

} // namespace tavu::app

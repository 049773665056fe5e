// Takes the screenshots of the documentation: the real windows driven through a session
// with the example models, each grabbed under a drawn title bar.
//
//   tavu_gui_screenshots OUTPUT_FOLDER
//
// Also run by ctest (into the build folder) as a smoke test of a whole session.

#include "GuiTestSupport.h"
#include "app/AppIcon.h"
#include "app/ModelEditor.h"
#include "app/ScalarsDialog.h"
#include "plot/PlotWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <cstdio>

using namespace tavu;
using namespace tavu::app;
using namespace tavu::app::test;
using namespace Qt::Literals::StringLiterals;

namespace {

QString output;
int failures = 0;

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "screenshots: %s\n", what);
        ++failures;
    }
}

// The widget as a window: its content under a plain title bar.
QImage Framed(QWidget* w)
{
    const QPixmap content = w->grab();
    const int bar = 26;
    QImage image(content.width() + 2, content.height() + bar + 1, QImage::Format_RGB32);
    image.fill(QColor(90, 90, 90));
    QPainter p(&image);
    p.fillRect(1, 1, content.width(), bar - 1, QColor(44, 72, 120));
    p.drawPixmap(6, (bar - 16) / 2 + 1, AppIcon().pixmap(16, 16));
    QFont f = QApplication::font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    // The title as a window manager shows it: "*" where the modified marker goes.
    QString title = w->windowTitle();
    title.replace(QStringLiteral("[*]"), w->isWindowModified() ? QStringLiteral("*") : QString());
    p.drawText(QRect(28, 1, content.width() - 30, bar - 1), Qt::AlignVCenter | Qt::AlignLeft,
               title);
    p.drawPixmap(1, bar, content);
    p.end();
    return image;
}

// The window, or the window with another one over it where the screen shows it.
void Save(QWidget* window, const char* name, QWidget* over = nullptr)
{
    const QPointer<QWidget> w(window);
    const QPointer<QWidget> o(over);
    QTest::qWait(100);
    Check(w && w->isVisible() && (!over || (o && o->isVisible())), name);
    if (!w || (over && !o))
        return;
    QImage image = Framed(w);
    if (o) {
        QPainter p(&image);
        p.drawImage(o->mapToGlobal(QPoint(0, 0)) - w->mapToGlobal(QPoint(0, 0)), Framed(o));
    }
    Check(image.save(QDir(output).filePath(QLatin1String(name))), name);
}

// Clicks the results window's options and boxes by name, saving a picture after each.
void SaveResults(Session& s, int heightPercent,
                 std::initializer_list<std::pair<const char*, const char*>> shots)
{
    s.Trigger(u"toolSoln"_s);
    QWidget* r = s.w.Results();
    Check(r != nullptr, "results window shown");
    if (!r)
        return;
    r->resize(r->width(), r->height() * heightPercent / 100);
    for (const auto& [control, name] : shots) {
        if (*control)
            QTest::mouseClick(r->findChild<QAbstractButton*>(QLatin1String(control)),
                              Qt::LeftButton);
        Save(r, name);
    }
    r->close();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavu_gui_screenshots OUTPUT_FOLDER\n");
        return 64;
    }
    output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    QTemporaryDir scratch;
    qputenv("XDG_DATA_HOME", scratch.filePath(u"data"_s).toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       scratch.filePath(u"config"_s));
    QDir::setCurrent(scratch.path());
    const QString examples = QStringLiteral(TAVU_EXAMPLES_DIR "/");

    Session s;
    s.w.move(40, 40);
    s.w.resize(s.w.width() * 3 / 2, s.w.height()); // room for the model's comments
    s.w.show();
    Check(QTest::qWaitForWindowExposed(&s.w), "main window shown");

    // The main window with the portal frame: line numbers, the records coloured, the
    // caret on the GRID lines.
    s.Open(examples + u"portal-frame.tav"_s);
    s.w.FocusEditor();
    ModelEditor* editor = s.w.Editor();
    editor->setTextCursor(QTextCursor(editor->document()->findBlockByNumber(6)));
    QTest::keyClick(editor, Qt::Key_End);
    Save(&s.w, "main-window.png");

    // The summary window after each step, then the results.
    s.Trigger(u"toolRun"_s);
    Save(s.w.Summary(), "summary-1-processing.png");
    s.Continue();
    Save(s.w.Summary(), "summary-2-decomposition.png");
    s.Continue();
    Check(s.a.State.Stage == Solved, "portal frame solved");
    Save(s.w.Summary(), "summary-3-load-cases.png");
    s.Continue();
    SaveResults(s, 75,
                {{"", "results-1-deflections.png"},
                 {"option712", "results-2-reactions.png"},
                 {"option713", "results-3-beam-forces.png"}});

    // Quad stresses of the plate with a hole, at the corners and averaged.
    Check(s.Solve(examples + u"plate-with-hole.tav"_s), "plate solved");
    SaveResults(s, 100,
                {{"option714", "results-4-quad-stresses.png"},
                 {"averageStresses", "results-5-quad-averaged.png"}});

    // The plot window on the plate's tangential stress.
    s.Trigger(u"toolPlot"_s);
    auto* plot = s.w.findChild<plot::PlotWindow*>();
    Check(plot != nullptr, "plot window shown");
    if (plot) {
        plot->SetView(PlotView::Sy);
        Save(plot, "plot-window.png");
        plot->close();
    }

    // The load case scalars dialog of the subcase example.
    s.Open(examples + u"subcases.tav"_s);
    s.Trigger(u"toolRun"_s);
    s.Continue();
    bool shown = false;
    WhenModalShows<ScalarsDialog>([&shown](ScalarsDialog* d) {
        shown = true;
        const QStringList texts{u"1.35"_s, u"1.5"_s, u"0"_s};
        const auto boxes = d->findChildren<QLineEdit*>();
        for (int k = 0; k < std::min(boxes.size(), texts.size()); ++k)
            boxes[k]->setText(texts[k]);
        Save(d, "scalars-dialog.png");
        d->accept();
    });
    s.Continue();
    Check(shown, "scalars dialog shown");
    s.Continue();

    // A mistake in the portal frame: the report's message leads to its record.
    s.Open(examples + u"portal-frame.tav"_s);
    QTextCursor typo(editor->document()->findBlockByNumber(13));
    typo.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    typo.insertText(u"BEAM     3    4    5    1    1      $ right column"_s);
    const QSize mainSize = s.w.size();
    s.w.resize(mainSize.width() * 4 / 3, mainSize.height()); // the record beside the window
    s.Trigger(u"toolRun"_s);
    if (auto* text = s.w.Summary() ? s.w.Summary()->findChild<QPlainTextEdit*>() : nullptr) {
        SummaryDialog* summary = s.w.Summary();
        summary->move(s.w.mapToGlobal(QPoint(s.w.width() - summary->width() - 16, 60)));
        const QTextBlock message = text->document()->findBlockByNumber(7);
        Check(message.text() == u"Grid 5 of beam 3 not found"_s, "the message of the typo");
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {},
                          text->cursorRect(QTextCursor(message)).center() + QPoint(4, 0));
        Check(editor->CaretLine() == 14, "the message followed to its line");
        Save(&s.w, "message-followed.png", s.w.Summary());
        summary->Close();
    }
    s.w.resize(mainSize);
    s.w.Editor()->document()->setModified(false);

    // The record reference.
    s.w.ShowSyntax();
    if (HelpWindow* h = s.w.Help()) {
        h->resize(680, 560);
        h->Browser()->scrollToAnchor(u"GRID"_s);
        Save(h, "help-syntax.png");
        h->close();
    }
    Check(s.prompts.unexpected == 0, "no unexpected questions");
    return failures == 0 ? 0 : 1;
}

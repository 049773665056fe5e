// Takes the screenshots of the documentation: the real windows driven through a session
// with the example models, each grabbed with a drawn title bar.
//
//   tavu_gui_screenshots OUTPUT_FOLDER
//
// Also run by ctest (into the build folder) as a smoke test of a whole session.

#include "GuiTestSupport.h"
#include "app/AboutBox.h"
#include "app/AppIcon.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "app/ModelEditor.h"
#include "app/ResultsWindow.h"
#include "app/ScalarsDialog.h"
#include "app/SummaryDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <cstdio>

using namespace tavu;
using namespace tavu::app;
using namespace tavu::app::test;

namespace {

QString output;
int failures = 0;

void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(20);
    }
}

// The widget as a window: its content under a plain title bar.
void Save(QWidget* w, const QString& name)
{
    Settle();
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
    p.drawText(QRect(28, 1, content.width() - 30, bar - 1), Qt::AlignVCenter | Qt::AlignLeft,
               w->windowTitle());
    p.drawPixmap(1, bar, content);
    p.end();
    const QString path = QDir(output).filePath(name);
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++failures;
    }
}

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "screenshots: %s\n", what);
        ++failures;
    }
}

QString Example(const char* name)
{
    return QStringLiteral(TAVU_EXAMPLES_DIR "/") + QString::fromLatin1(name);
}

void Open(MainWindow& w, ScriptedPrompts& prompts, const QString& path)
{
    prompts.openNames << path;
    w.findChild<QAction*>("actionOpen")->trigger();
    Check(w.ModelPath() == path, "model opened");
}

void Continue(MainWindow& w)
{
    if (SummaryDialog* s = w.Summary())
        QTest::mouseClick(s->findChild<QPushButton*>("continueButton"), Qt::LeftButton);
}

void RunAll(MainWindow& w)
{
    QTest::mouseClick(w.findChild<QPushButton*>("toolRun"), Qt::LeftButton);
    Continue(w);
    Continue(w);
    Continue(w);
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
    qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toUtf8());
    QDir::setCurrent(scratch.path());

    Analysis a;
    ScriptedPrompts prompts;
    MainWindow w(a, prompts);
    w.move(40, 40);
    w.show();
    Check(QTest::qWaitForWindowExposed(&w), "main window shown");

    // The main window with the portal frame, caret on the GRID lines.
    Open(w, prompts, Example("portal-frame.tav"));
    w.FocusEditor();
    ModelEditor* editor = w.Editor();
    editor->setTextCursor(QTextCursor(editor->document()->findBlockByNumber(6)));
    QTest::keyClick(editor, Qt::Key_End);
    Save(&w, QStringLiteral("main-window.png"));

    // The summary window after each step.
    QTest::mouseClick(w.findChild<QPushButton*>("toolRun"), Qt::LeftButton);
    Check(w.Summary() && w.Summary()->isVisible(), "summary window shown");
    Save(w.Summary(), QStringLiteral("summary-1-processing.png"));
    Continue(w);
    Save(w.Summary(), QStringLiteral("summary-2-decomposition.png"));
    Continue(w);
    Check(a.State.Stage == Solved, "portal frame solved");
    Save(w.Summary(), QStringLiteral("summary-3-load-cases.png"));
    Continue(w);

    // The results window: deflections, reactions, beam forces.
    QTest::mouseClick(w.findChild<QPushButton*>("toolSoln"), Qt::LeftButton);
    ResultsWindow* r = w.Results();
    Check(r != nullptr, "results window shown");
    if (r) {
        r->resize(r->width(), r->height() * 3 / 4);
        Save(r, QStringLiteral("results-1-deflections.png"));
        QTest::mouseClick(r->findChild<QRadioButton*>("option712"), Qt::LeftButton);
        Save(r, QStringLiteral("results-2-reactions.png"));
        QTest::mouseClick(r->findChild<QRadioButton*>("option713"), Qt::LeftButton);
        Save(r, QStringLiteral("results-3-beam-forces.png"));
        r->close();
    }

    // Quad stresses of the plate with a hole, at the corners and averaged.
    Open(w, prompts, Example("plate-with-hole.tav"));
    RunAll(w);
    Check(a.State.Stage == Solved, "plate solved");
    QTest::mouseClick(w.findChild<QPushButton*>("toolSoln"), Qt::LeftButton);
    r = w.Results();
    if (r) {
        QTest::mouseClick(r->findChild<QRadioButton*>("option714"), Qt::LeftButton);
        Save(r, QStringLiteral("results-4-quad-stresses.png"));
        QTest::mouseClick(r->findChild<QCheckBox*>("averageStresses"), Qt::LeftButton);
        Save(r, QStringLiteral("results-5-quad-averaged.png"));
        r->close();
    }

    // The load case scalars dialog of the subcase example.
    Open(w, prompts, Example("subcases.tav"));
    QTest::mouseClick(w.findChild<QPushButton*>("toolRun"), Qt::LeftButton);
    Continue(w);
    bool shown = false;
    WhenModalShows<ScalarsDialog>([&shown](ScalarsDialog* d) {
        shown = true;
        if (d->BoxCount() >= 3) {
            d->Box(0)->setText(QStringLiteral("1.35"));
            d->Box(1)->setText(QStringLiteral("1.5"));
            d->Box(2)->setText(QStringLiteral("0"));
        }
        Save(d, QStringLiteral("scalars-dialog.png"));
        d->accept();
    });
    Continue(w);
    Check(shown, "scalars dialog shown");
    Continue(w);

    // Help and About.
    w.ShowSyntax();
    if (HelpWindow* h = w.Help()) {
        h->resize(680, 560);
        h->Browser()->scrollToAnchor(QStringLiteral("GRID"));
        Save(h, QStringLiteral("help-syntax.png"));
        h->close();
    }
    w.ShowAbout();
    if (auto* about = w.findChild<AboutBox*>()) {
        Save(about, QStringLiteral("about-box.png"));
        about->close();
    }

    Check(prompts.unexpected == 0, "no unexpected questions");
    return failures == 0 ? 0 : 1;
}

// A run through the real windows: the summary window step by step, the load case
// scalars dialog, and the results window with its four listings.

#include "GuiTestSupport.h"
#include "app/DialogUnits.h"
#include "app/MainWindow.h"
#include "app/ModelEditor.h"
#include "app/ResultsWindow.h"
#include "app/ScalarsDialog.h"
#include "app/SummaryDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QtTest>
#include <memory>

using namespace tavu;
using namespace tavu::app;
using namespace tavu::app::test;

class SolutionWindowsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> scratch_;
    std::unique_ptr<Analysis> a_;
    std::unique_ptr<ScriptedPrompts> prompts_;
    std::unique_ptr<MainWindow> w_;

    QAction* Act(const char* name) const { return w_->findChild<QAction*>(name); }
    QPushButton* Tool(const char* name) const { return w_->findChild<QPushButton*>(name); }
    QString MenuStates() const
    {
        QString s;
        s += Act("actionResetSolution")->isEnabled() ? 'R' : '-';
        s += Act("actionRunSolution")->isEnabled() ? 'U' : '-';
        s += Act("actionShowSolution")->isEnabled() ? 'S' : '-';
        s += Act("actionPlotDeformation")->isEnabled() ? 'P' : '-';
        return s;
    }

    void Open(const QString& path)
    {
        prompts_->openNames << path;
        Act("actionOpen")->trigger();
        QCOMPARE(w_->ModelPath(), path);
    }

    // A copy of a test model with some lines replaced.
    QString Variant(const QString& model, const QString& from, const QString& to)
    {
        QByteArray bytes = ReadBytes(DataModel(model));
        bytes.replace(from.toLatin1(), to.toLatin1());
        const QString path = scratch_->filePath(QStringLiteral("variant-") + model);
        WriteBytes(path, bytes);
        return path;
    }

    SummaryDialog* Summary() const { return w_->Summary(); }
    QString SummaryText() const
    {
        return Summary()->findChild<QPlainTextEdit*>("summaryText")->toPlainText();
    }
    QPushButton* SummaryButton(const char* name) const
    {
        return Summary()->findChild<QPushButton*>(name);
    }
    void Run() { QTest::mouseClick(Tool("toolRun"), Qt::LeftButton); }
    void Continue() { QTest::mouseClick(SummaryButton("continueButton"), Qt::LeftButton); }

    void TypeAtLine(int line, const QString& text)
    {
        ModelEditor* e = w_->Editor();
        e->setTextCursor(QTextCursor(e->document()->findBlockByNumber(line - 1)));
        QTest::keyClicks(e, text);
    }

    // Runs all three steps of a model without subcases.
    void Solve(const QString& path)
    {
        Open(path);
        Run();
        QVERIFY(Summary());
        Continue();
        Continue();
        QCOMPARE(a_->State.Stage, int(Solved));
        QPointer<SummaryDialog> s(Summary());
        Continue(); // Finish
        QTRY_VERIFY(!s);
    }

    ResultsWindow* ShowResults()
    {
        QTest::mouseClick(Tool("toolSoln"), Qt::LeftButton);
        return w_->Results();
    }

private slots:
    void initTestCase()
    {
        scratch_ = std::make_unique<QTemporaryDir>();
        QVERIFY(scratch_->isValid());
        qputenv("XDG_DATA_HOME", scratch_->filePath(QStringLiteral("data")).toUtf8());
        QDir::setCurrent(scratch_->path());
    }

    void init()
    {
        a_ = std::make_unique<Analysis>();
        prompts_ = std::make_unique<ScriptedPrompts>();
        w_ = std::make_unique<MainWindow>(*a_, *prompts_);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
    }

    void cleanup()
    {
        w_.reset();
        QCOMPARE(prompts_->unexpected, 0);
        prompts_.reset();
        a_.reset();
    }

    void threeStepsWithoutSubcases()
    {
        Open(DataModel(QStringLiteral("plate.tav")));
        Run();
        QPointer<SummaryDialog> s(Summary());
        QVERIFY(s);
        QVERIFY(s->isVisible());
        QCOMPARE(s->windowTitle(), QStringLiteral("Processing Model Data"));
        QVERIFY2(SummaryText().endsWith(QStringLiteral("Done processing model")),
                 qPrintable(SummaryText()));
        QCOMPARE(a_->State.Stage, int(ModelRead));
        QCOMPARE(MenuStates(), QStringLiteral("RU-P"));
        QVERIFY(SummaryButton("continueButton")->isEnabled());

        Continue();
        QCOMPARE(s->windowTitle(), QStringLiteral("Perform Decomposition"));
        QCOMPARE(a_->State.Stage, int(Decomposed));
        QVERIFY(!SummaryText().isEmpty());

        Continue();
        QCOMPARE(s->windowTitle(), QStringLiteral("Running Load Cases"));
        QCOMPARE(a_->State.Stage, int(Solved));
        QVERIFY2(SummaryText().contains(QStringLiteral("Solution error measure =")),
                 qPrintable(SummaryText()));
        QCOMPARE(SummaryButton("continueButton")->text(), QStringLiteral("Finish"));
        QVERIFY(!SummaryButton("cancelButton")->isVisible());
        // The editor has the focus again: the results can be shown.
        QCOMPARE(MenuStates(), QStringLiteral("RUSP"));

        Continue();
        QTRY_VERIFY(!s);
        QVERIFY(prompts_->asked.isEmpty());
    }

    void editsDecideWhereTheNextRunStarts()
    {
        Solve(DataModel(QStringLiteral("plate.tav")));
        const int loadLine = 20; // LOAD 3 10 0

        // A load edited: the next run goes straight to the load cases.
        TypeAtLine(loadLine, QStringLiteral(" "));
        QCOMPARE(a_->State.Stage, int(Decomposed));
        QCOMPARE(MenuStates(), QStringLiteral("RU--"));
        Run();
        QCOMPARE(Summary()->windowTitle(), QStringLiteral("Running Load Cases"));
        QCOMPARE(SummaryButton("continueButton")->text(), QStringLiteral("Finish"));
        QCOMPARE(a_->State.Stage, int(Solved));
        Continue();

        // A grid edited: back to model processing; the results of the old tables go.
        QPointer<ResultsWindow> results(ShowResults());
        QVERIFY(results);
        TypeAtLine(2, QStringLiteral(" "));
        QCOMPARE(a_->State.Stage, int(ModelPending));
        Run();
        QCOMPARE(Summary()->windowTitle(), QStringLiteral("Processing Model Data"));
        QTRY_VERIFY(!results);
        // A click into the summary text sends the focus back to the editor, caret on top.
        Summary()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), Summary());
        w_->Editor()->moveCursor(QTextCursor::End);
        QTest::mouseClick(Summary()->findChild<QPlainTextEdit*>("summaryText")->viewport(),
                          Qt::LeftButton);
        QTRY_COMPARE(w_->Editor()->textCursor().position(), 0);

        // Cancel after step 1: the next run decomposes at once.
        QPointer<SummaryDialog> s(Summary());
        QTest::mouseClick(SummaryButton("cancelButton"), Qt::LeftButton);
        QTRY_VERIFY(!s);
        QCOMPARE(a_->State.Stage, int(ModelRead));
        Run();
        QCOMPARE(Summary()->windowTitle(), QStringLiteral("Performing Decomposition"));
        QCOMPARE(a_->State.Stage, int(Decomposed));
        Continue();
        QCOMPARE(a_->State.Stage, int(Solved));
        Continue();

        // Reset without an edit: step 1 again.
        Act("actionResetSolution")->trigger();
        QCOMPARE(MenuStates(), QStringLiteral("-U--"));
        Run();
        QCOMPARE(Summary()->windowTitle(), QStringLiteral("Processing Model Data"));
        QCOMPARE(MenuStates(), QStringLiteral("RU-P"));
    }

    void fatalErrorsStopTheRun()
    {
        // In the pre-scan: the reader does not run, Reset and Plot stay grayed.
        Open(QStringLiteral(TAVU_TEST_DATA_DIR) + QStringLiteral("/no_grids.tav"));
        Run();
        QVERIFY(!SummaryButton("continueButton")->isEnabled());
        QVERIFY2(SummaryText().endsWith(QStringLiteral("Fatal error... Done processing model")),
                 qPrintable(SummaryText()));
        QCOMPARE(MenuStates(), QStringLiteral("-U--"));
        QCOMPARE(a_->State.Stage, int(ModelPending));
        QPointer<SummaryDialog> s(Summary());
        QTest::mouseClick(SummaryButton("cancelButton"), Qt::LeftButton);
        QTRY_VERIFY(!s);

        // In the reader: Continue disabled, but Reset and Plot become available.
        Open(DataModel(QStringLiteral("reader_error.tav")));
        Run();
        QVERIFY(!SummaryButton("continueButton")->isEnabled());
        QVERIFY2(SummaryText().endsWith(QStringLiteral("Done processing model")),
                 qPrintable(SummaryText()));
        QVERIFY(!SummaryText().contains(QStringLiteral("Fatal error...")));
        QCOMPARE(MenuStates(), QStringLiteral("RU-P"));
        QCOMPARE(a_->State.Stage, int(ModelPending));

        // More subcases than the dialog has boxes for: stopped before any dialog.
        QString many;
        for (int k = 1; k <= 11; ++k)
            many += QStringLiteral("SUBCASE %1\r\nLOAD 2 1 0\r\n").arg(k);
        Open(Variant(QStringLiteral("frame.tav"), QStringLiteral("SUBCASE 1\r\n"), many));
        Run();
        QVERIFY(!SummaryButton("continueButton")->isEnabled());
        QVERIFY2(SummaryText().contains(QStringLiteral("Number of subcases exceeds maximum of 10")),
                 qPrintable(SummaryText()));
    }

    void scalarsDialogAsksForEverySubcase()
    {
        // SUBCASE 1 and SUBCASE 5: two boxes, filling the first two scalars.
        Open(Variant(QStringLiteral("frame.tav"), QStringLiteral("SUBCASE 2"),
                     QStringLiteral("SUBCASE 5")));
        Run();
        Continue();
        QCOMPARE(a_->State.Stage, int(Decomposed));

        bool checked = false;
        WhenModalShows<ScalarsDialog>([&checked](ScalarsDialog* d) {
            const DialogUnits du(d->font());
            QCOMPARE(d->windowTitle(), QStringLiteral("Load case scalars"));
            QCOMPARE(du.WindowHeightDu(d->height()), 84);
            QCOMPARE(du.WindowWidthDu(d->width()), 150);
            QCOMPARE(d->BoxCount(), 2);
            auto* first = d->findChild<QLineEdit*>("scalar600");
            auto* second = d->findChild<QLineEdit*>("scalar601");
            QVERIFY(first && second);
            QVERIFY(!d->findChild<QLineEdit*>("scalar602"));
            QCOMPARE(first->text(), QStringLiteral("1.0"));
            QCOMPARE(second->text(), QStringLiteral("1.0"));
            QVERIFY(second->y() > first->y());
            QStringList labels;
            for (QLabel* l : d->findChildren<QLabel*>())
                labels << l->text();
            labels.sort();
            QCOMPARE(labels, (QStringList{"Subcase 1", "Subcase 2"}));
            // Only what fits the box can be typed.
            first->clear();
            QTest::keyClicks(first, QStringLiteral("2.5"));
            QTest::keyClicks(second, QString(60, QLatin1Char('7')));
            QVERIFY(second->text().size() < 40);
            second->setText(QStringLiteral("0"));
            checked = true;
            QTest::mouseClick(d->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        });
        Continue();
        QVERIFY(checked);
        QCOMPARE(a_->LoadScalars[1], 2.5);
        QCOMPARE(a_->LoadScalars[2], 0.0);
        QCOMPARE(a_->LoadScalars[5], 0.0);
        QCOMPARE(a_->State.Stage, int(Solved));
        QCOMPARE(SummaryButton("continueButton")->text(), QStringLiteral("Finish"));
        Continue();

        // Step 3 again: the dialog comes back with "1.0" in every box; Cancel ends the
        // step without solving and closes the summary window.
        TypeAtLine(18, QStringLiteral(" "));
        QCOMPARE(a_->State.Stage, int(Decomposed));
        QString firstText;
        WhenModalShows<ScalarsDialog>([&firstText](ScalarsDialog* d) {
            firstText = d->Box(0)->text();
            QTest::mouseClick(d->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        });
        Run();
        QCOMPARE(firstText, QStringLiteral("1.0"));
        QTRY_VERIFY(!Summary());
        QCOMPARE(a_->State.Stage, int(Decomposed));
        QCOMPARE(MenuStates(), QStringLiteral("RU--"));
    }

    void resultsWindowListsAndCopies()
    {
        Solve(DataModel(QStringLiteral("plate.tav")));
        ResultsWindow* r = ShowResults();
        QVERIFY(r);
        QVERIFY(r->isVisible());
        QCOMPARE(r->windowTitle(), QStringLiteral("Finite Element Results"));
        const DialogUnits du(r->font());
        auto heading = [r](int id) {
            return r->findChild<QLabel*>(QStringLiteral("heading%1").arg(id));
        };
        auto option = [r](int id) {
            return r->findChild<QRadioButton*>(QStringLiteral("option%1").arg(id));
        };
        // The window opens on Deflections, narrow, beside the main window.
        QCOMPARE(r->Kind(), 1);
        QVERIFY(option(711)->isChecked());
        QCOMPARE(du.WindowWidthDu(r->width()), 270);
        QVERIFY(!r->findChild<QCheckBox*>("averageStresses")->isVisible() ||
                r->findChild<QCheckBox*>("averageStresses")->geometry().left() >= r->width());
        QCOMPARE(heading(701)->text(), QStringLiteral("Grid"));
        QCOMPARE(heading(702)->text(), QStringLiteral("u Defl"));
        QCOMPARE(heading(704)->text(), QString(QChar(0xF8)) + QStringLiteral(" Defl"));
        QVERIFY(!heading(705)->isVisible());
        QVERIFY(option(713)->isEnabled());
        QVERIFY(option(714)->isEnabled());

        struct Case
        {
            int option;
            int lines;
            const char* lead; // what every line starts with
        } cases[] = {
            {711, 6, "\t\t"}, // six grids
            {712, 2, "\t\t"}, // grids 1 and 4 are restrained
            {713, 2, "\t21"}, // beam 21, end A and end B
            {714, 10, "\t1"}, // corners of a quad and two triangles
            {711, 6, "\t\t"},
        };
        const int narrowX = r->x();
        for (const Case& c : cases) {
            QTest::mouseClick(option(c.option), Qt::LeftButton);
            QCOMPARE(r->Kind(), c.option - 710);
            const QStringList lines = r->ListedLines();
            QCOMPARE(lines.size(), c.lines);
            for (const QString& line : lines)
                QVERIFY2(line.startsWith(QString::fromLatin1(c.lead)), qPrintable(line));
            // The clipboard text is the heading line and the same lines.
            const QStringList text = r->ListingText().split(QStringLiteral("\r\n"));
            QCOMPARE(text.mid(1, lines.size()), lines);
            QVERIFY(text[0].startsWith(QLatin1Char('\t')));
            const bool wide = c.option == 714;
            QCOMPARE(r->WideLayout(), wide);
            QCOMPARE(du.WindowWidthDu(r->width()), wide ? 385 : 270);
            QCOMPARE(heading(705)->isVisible(), wide);
            QCOMPARE(r->x(), wide ? narrowX - du.X(60) : narrowX);
        }

        // Averaged quad stresses: one line per quad, headed Quad.
        QTest::mouseClick(option(714), Qt::LeftButton);
        QCOMPARE(heading(700)->text(), QStringLiteral("Quad"));
        QCOMPARE(heading(705)->text(), QStringLiteral("Prin"));
        QCOMPARE(heading(706)->text(), QStringLiteral("vonM"));
        auto* average = r->findChild<QCheckBox*>("averageStresses");
        QVERIFY(average->isVisible());
        QCOMPARE(average->text(), QStringLiteral("&Averge stresses"));
        QTest::mouseClick(average, Qt::LeftButton);
        QVERIFY(r->AverageStresses());
        QVERIFY(average->isChecked());
        QCOMPARE(r->ListedLines().size(), 3);
        QCOMPARE(heading(700)->text(), QString());
        QCOMPARE(heading(701)->text(), QStringLiteral("Quad"));
        QVERIFY(r->ListedLines()[0].startsWith(QStringLiteral("\t\t11")));

        // Copy asks, then puts the listing on the clipboard.
        QGuiApplication::clipboard()->clear();
        prompts_->answers << Answer::No;
        QTest::mouseClick(r->findChild<QPushButton*>("copyButton"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        prompts_->answers << Answer::Yes;
        QTest::mouseClick(r->findChild<QPushButton*>("copyButton"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), r->ListingText());
        QCOMPARE(prompts_->asked.last().title, QStringLiteral("Copy Results to Clipboard"));
        QCOMPARE(prompts_->asked.last().text,
                 QStringLiteral("Copy these quad stresses to clipboard?"));

        prompts_->answers << Answer::No;
        QTest::mouseClick(r->findChild<QPushButton*>("printButton"), Qt::LeftButton);
        QCOMPARE(prompts_->asked.last().title, QStringLiteral("Print Results"));
        QCOMPARE(prompts_->asked.last().text, QStringLiteral("Print these quad stresses Now?"));

        // Cancel closes the window; the next one opens on Deflections again.
        QPointer<ResultsWindow> gone(r);
        QTest::mouseClick(r->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        QTRY_VERIFY(!gone);
        ResultsWindow* again = ShowResults();
        QCOMPARE(again->Kind(), 1);
        QVERIFY(!again->AverageStresses());
        QVERIFY(!again->WideLayout());
    }

    void resultsWindowWithoutQuads()
    {
        Open(DataModel(QStringLiteral("frame.tav")));
        Run();
        Continue();
        WhenModalShows<ScalarsDialog>([](ScalarsDialog* d) { d->accept(); });
        Continue();
        QCOMPARE(a_->State.Stage, int(Solved));
        Continue();
        ResultsWindow* r = ShowResults();
        QVERIFY(r->findChild<QRadioButton*>("option713")->isEnabled());
        QVERIFY(!r->findChild<QRadioButton*>("option714")->isEnabled());
        QCOMPARE(r->ListedLines().size(), 4);
        r->SelectKind(4); // unavailable: nothing changes
        QCOMPARE(r->Kind(), 1);
        QVERIFY(!r->WideLayout());
    }
};

QTEST_MAIN(SolutionWindowsTest)
#include "test_solution_windows.moc"

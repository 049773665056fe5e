// The main window and the windows it opens, driven through buttons and actions: what
// each command reaches, model files byte for byte, the questions about unsaved text, the
// summary window pacing the steps, the load case scalars, the results window with Copy
// and Print, the plot window, help and About; and one program per session.

#include "GuiTestSupport.h"
#include "app/AboutBox.h"
#include "app/ModelEditor.h"
#include "app/Prompts.h"
#include "app/ScalarsDialog.h"
#include "app/SingleInstance.h"
#include "plot/PlotWindow.h"
#include "plot/PrintCommands.h"

#include <QPrinter>
#include <QtTest>
#include <QtWidgets>
#include <memory>

using namespace tavu;
using namespace tavu::app;
using namespace tavu::app::test;
using namespace Qt::Literals::StringLiterals;

namespace {

void Click(QObject* parent, const QString& name)
{
    QTest::mouseClick(parent->findChild<QAbstractButton*>(name), Qt::LeftButton);
}

int DarkPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 160;
    return n;
}

QString Resource(const QString& name)
{
    QFile f(u":/help/"_s + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

// Receives the links the About box opens.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList urls;
public slots:
    void Open(const QUrl& url) { urls << url.toString(); }
};

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir scratch_;
    std::unique_ptr<Session> s_;

    QString Scratch(const QString& name) const { return scratch_.filePath(name); }
    QString MakeModel(const QString& name, const QByteArray& bytes) const
    {
        WriteBytes(Scratch(name), bytes);
        return Scratch(name);
    }
    // The plate model in the scratch folder, where saving and printing may write.
    QString Plate() const
    {
        return MakeModel(u"plate.tav"_s, ReadBytes(DataModel(u"plate.tav"_s)));
    }
    // The plate model solved and its results window open.
    QWidget* PlateResults()
    {
        if (!s_->Solve(Plate()))
            return nullptr;
        s_->Trigger(u"toolSoln"_s);
        return s_->w.Results();
    }
    int Stage() const { return s_->a.State.Stage; }
    QString Status(const QString& name) const { return s_->w.findChild<QLabel*>(name)->text(); }
    plot::PlotWindow* Plot() const { return s_->w.findChild<plot::PlotWindow*>(); }
    QImage PlotImage() const
    {
        return Plot() ? Plot()->findChild<plot::PlotSurface*>()->grab().toImage() : QImage();
    }

    // What a command did: the prompts it called, the windows it left open, the help
    // page shown, and how far the model got.
    QString Effects() const
    {
        QStringList windows;
        for (const QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window != &s_->w)
                windows << window->objectName();
        windows.sort();
        QStringList e = s_->prompts.log + windows;
        if (auto* help = s_->w.findChild<QTextBrowser*>(); help && help->isVisible())
            e << help->source().fileName();
        if (!s_->w.isVisible())
            e << u"closed"_s;
        if (s_->w.ModelPath().isEmpty())
            e << u"untitled"_s;
        if (Stage() != Solved)
            e << u"stage %1"_s.arg(Stage());
        return e.join(u", "_s);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch_.isValid());
        // The user's data and runtime folders, and a current directory without model files.
        QDir(scratch_.path()).mkpath(u"cwd"_s);
        QDir(scratch_.path()).mkpath(u"run"_s);
        QFile::setPermissions(Scratch(u"run"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", Scratch(u"run"_s).toUtf8());
        qputenv("XDG_DATA_HOME", Scratch(u"data"_s).toUtf8());
        qputenv("XDG_CONFIG_HOME", Scratch(u"config"_s).toUtf8());
        QDir::setCurrent(Scratch(u"cwd"_s));
        HelpWindow warmUp; // makes the help pages known to the resource system
    }

    void init()
    {
        s_ = std::make_unique<Session>();
        s_->w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s_->w));
    }

    void cleanup()
    {
        const int unexpected = s_->prompts.unexpected;
        s_.reset();
        QCOMPARE(unexpected, 0);
    }

    void commandsReachTheirWindows_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("effects");
        const char* const rows[][2] = {{"toolOpen", "Open"},
                                       {"actionOpen", "Open"},
                                       {"toolSave", "Ask Save File"},
                                       {"actionSave", "Ask Save File"},
                                       {"actionSaveAs", "Save"},
                                       {"toolPrint", "Ask Print File"},
                                       {"actionPrintModel", "Ask Print File"},
                                       {"toolPlot", "plotWindow"},
                                       {"actionPlotModel", "plotWindow"},
                                       {"actionPlotDeformation", "plotWindow"},
                                       {"toolRun", "summaryWindow"},
                                       {"actionRunSolution", "summaryWindow"},
                                       {"toolSoln", "resultsWindow"},
                                       {"actionShowSolution", "resultsWindow"},
                                       {"actionResetSolution", "stage 0"},
                                       {"actionNew", "untitled, stage 0"},
                                       {"actionHelp", "helpWindow, guide.html"},
                                       {"actionSyntax", "helpWindow, syntax.html"},
                                       {"actionAbout", "aboutBox"},
                                       {"toolQuit", "closed"},
                                       {"actionExit", "closed"}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }

    void commandsReachTheirWindows()
    {
        QFETCH(QString, control);
        QFETCH(QString, effects);
        QVERIFY(s_->Solve(Plate()));
        s_->prompts.log.clear();
        // A question is answered No, a file dialog is given no name.
        if (effects.startsWith(u"Ask"_s))
            s_->prompts.answers << Answer::No;
        else if (effects == u"Open"_s || effects == u"Save"_s)
            s_->prompts.names << QString();
        s_->Trigger(control);
        QCOMPARE(Effects(), effects);
    }

    void filesKeepEveryByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("editorText");
        QTest::newRow("CR LF") << "GRID 1 0 0\r\nENDMODEL\r\n"_ba << u"GRID 1 0 0\nENDMODEL"_s;
        QTest::newRow("no final line end")
            << "GRID 1 0 0\r\nENDMODEL"_ba << u"GRID 1 0 0\nENDMODEL"_s;
        QTest::newRow("LF only") << "GRID 1 0 0\nENDMODEL\n"_ba << u"GRID 1 0 0\nENDMODEL"_s;
        QTest::newRow("two final line ends") << "ENDMODEL\r\n\r\n"_ba << u"ENDMODEL\n"_s;
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("8-bit, tabs, blanks")
            << "GRID 1\t0 0   \r\n$ d\xE9j\xE0 vu \xA0 \x1A\r\n"_ba
            << QString::fromLatin1("GRID 1\t0 0   \n$ d\xE9j\xE0 vu \xA0 \x1A");
        QTest::newRow("UTF-8 with mark")
            << "\xEF\xBB\xBFGRID 1 0 0 $ \xC2\xB0\r\n"_ba << u"\uFEFFGRID 1 0 0 $ \u00B0"_s;
    }

    void filesKeepEveryByte()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, editorText);
        const QString path = MakeModel(u"bytes.tav"_s, bytes);
        s_->Open(path);
        QCOMPARE(s_->w.Editor()->ModelText(), editorText);
        // The driver reads the text with CR LF line ends and without the mark.
        QCOMPARE(QString::fromStdString(s_->w.DriverText()),
                 editorText.remove(QChar(0xFEFF)).replace('\n', u"\r\n"_s));
        s_->prompts.answers << Answer::Yes;
        s_->Trigger(u"actionSave"_s);
        QCOMPARE(ReadBytes(path), bytes);

        // An edit is saved with the file's own line ends and encoding (the mark of a UTF-8
        // file is a character in the editor).
        s_->TypeAtLine(1, u"X"_s);
        s_->prompts.answers << Answer::Yes;
        s_->Trigger(u"actionSave"_s);
        QVERIFY(!s_->w.TextChanged());
        QCOMPARE(ReadBytes(path), "X" + bytes);
    }

    void questionsAndTheirOutcomes_data()
    {
        // The command ("close": the title bar's close button); whether the edited text has a
        // file; the answer to the question ("-": no question); the name given to Save As
        // ("-": not asked, "none": cancelled); then the file, the text and the window after.
        QTest::addColumn<QString>("row");
        const char* const rows[][2] = {
            {"New, Cancel", "actionNew titled C - before edited open"},
            {"New, No", "actionNew titled N - before emptied open"},
            {"New, Yes", "actionNew titled Y - saved emptied open"},
            {"New untitled, Cancel", "actionNew untitled C - none edited open"},
            {"New untitled, No", "actionNew untitled N - none emptied open"},
            {"Open, Yes", "actionOpen titled Y - saved other open"},
            {"Open, No", "actionOpen titled N - before other open"},
            {"Open, Cancel", "actionOpen titled C - before edited open"},
            {"Open untitled, Yes", "actionOpen untitled Y as.tav saved other open"},
            {"Open untitled, no name", "actionOpen untitled Y none none edited open"},
            {"Save, No", "actionSave titled N - before edited open"},
            {"Save, Yes", "toolSave titled Y - saved edited open"},
            {"Save untitled", "toolSave untitled - as.tav saved edited open"},
            {"Exit, Cancel", "actionExit titled C - before edited open"},
            {"Exit, No", "actionExit titled N - before edited closed"},
            {"Exit, Yes", "actionExit titled Y - saved edited closed"},
            {"Exit untitled, no name", "actionExit untitled Y none none edited open"},
            {"Quit, Cancel", "toolQuit titled C - before edited open"},
            {"close, Cancel", "close titled C - before edited open"},
            {"close, No", "close titled N - before edited closed"}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[1]);
    }

    void escapeCancelsEveryQuestionAboutUnsavedText()
    {
        // The program's own message box: Escape is Cancel wherever an edit could be lost.
        for (const FileCommand command : {FileCommand::New, FileCommand::Open}) {
            const PromptPlan plan = PromptFor(command, false, true);
            QVERIFY(plan.ask && plan.withCancel);
            WhenModalShows<QMessageBox>(
                [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
            QCOMPARE(SystemPrompts().Ask(&s_->w, u"Save File"_s, QString::fromLatin1(plan.question),
                                         plan.withCancel),
                     Answer::Cancel);
        }
    }

    void questionsAndTheirOutcomes()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u' ');
        const QString &command = f[0], &answer = f[2], &saveAs = f[3];
        const bool untitled = f[1] == u"untitled"_s, open = f[6] == u"open"_s;
        const QByteArray fileAfter = f[4] == u"before"_s  ? "GRID 1 0 0\r\n"_ba
                                     : f[4] == u"saved"_s ? "XGRID 1 0 0\r\n"_ba
                                                          : QByteArray();
        const QString textAfter = f[5] == u"edited"_s  ? u"XGRID 1 0 0"_s
                                  : f[5] == u"other"_s ? u"B"_s
                                                       : QString();
        const QString model = MakeModel(u"model.tav"_s, "GRID 1 0 0\r\n");
        QFile::remove(Scratch(u"as.tav"_s));
        if (untitled) {
            s_->w.Editor()->setPlainText(u"XGRID 1 0 0"_s);
        } else {
            s_->Open(model);
            s_->TypeAtLine(1, u"X"_s);
        }
        // Quit closes the results and plot windows even when the exit is then cancelled.
        s_->w.ShowSolution();
        s_->Trigger(u"actionPlotModel"_s);
        QPointer<QWidget> results(s_->w.Results()), plot(Plot());
        QVERIFY(results && plot);

        QSignalSpy ends(&s_->w, &MainWindow::ProgramEnds);
        s_->prompts.log.clear();
        if (command == u"actionOpen"_s)
            s_->prompts.names << MakeModel(u"other.tav"_s, "B\r\n");
        if (answer != u"-"_s)
            s_->prompts.answers << Answer(u"YNC"_s.indexOf(answer));
        if (saveAs != u"-"_s)
            s_->prompts.names << (saveAs == u"none"_s ? QString() : Scratch(saveAs));
        if (command == u"close"_s)
            s_->w.close();
        else
            s_->Trigger(command);

        QCOMPARE(s_->prompts.log.filter(u"Ask "_s).size(), answer == u"-"_s ? 0 : 1);
        QCOMPARE(ReadBytes(untitled ? Scratch(u"as.tav"_s) : model), fileAfter);
        QCOMPARE(s_->w.Editor()->ModelText(), textAfter);
        QCOMPARE(s_->w.isVisible(), open);
        QCOMPARE(ends.count(), open ? 0 : 1);
        if (command == u"toolQuit"_s)
            QTRY_VERIFY(!results && !plot);
    }

    void failuresAreReported()
    {
        QDir(scratch_.path()).mkpath(u"gone"_s);
        const QString path = MakeModel(u"gone/model.tav"_s, "GRID 1 0 0\r\n");
        s_->Open(path);
        s_->TypeAtLine(1, u"X"_s);
        QVERIFY(QDir(Scratch(u"gone"_s)).removeRecursively());
        QStringList& log = s_->prompts.log;

        // Save, then Save As (offering the whole path), into folders that are not there:
        // each failure is reported, the text stays changed and keeps its name.
        s_->prompts.answers << Answer::Yes;
        s_->Trigger(u"actionSave"_s);
        s_->prompts.names << Scratch(u"nowhere/x.tav"_s);
        s_->Trigger(u"actionSaveAs"_s);
        QCOMPARE(s_->prompts.lastInitialPath, path);
        QCOMPARE(s_->prompts.lastFolder, s_->w.ModelFolder());
        QCOMPARE(log.filter(u"Report Save File: "_s).size(), 2);
        QVERIFY2(log.filter(u"Report"_s)[0].contains(path), qPrintable(log.join(u'|')));
        QVERIFY(s_->w.TextChanged());
        QCOMPARE(s_->w.ModelPath(), path);

        // An untitled text that cannot be saved does not become runnable.
        s_->prompts.answers << Answer::No;
        s_->Trigger(u"actionNew"_s);
        s_->w.Editor()->setPlainText(u"KEEP"_s);
        s_->prompts.names << Scratch(u"nowhere/y.tav"_s);
        s_->Trigger(u"actionSaveAs"_s);
        QCOMPARE(s_->Enabled(), u"---- ---"_s);

        // A folder, or a file too large for the editor: reported, the text stays.
        const QString huge = Scratch(u"huge.tav"_s);
        QFile f(huge);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(MaxModelFileBytes + 1)); // sparse
        f.close();
        for (const QString& bad : {Scratch(u"cwd"_s), huge}) {
            log.clear();
            s_->prompts.answers << Answer::No;
            s_->Open(bad);
            QVERIFY2(log.last().startsWith(u"Report Open File: "_s), qPrintable(bad));
            QCOMPARE(s_->w.Editor()->ModelText(), u"KEEP"_s);
        }
        QVERIFY(log.last().contains(u"larger than 256 MB"_s));
        QFile::remove(huge);
    }

    void statusBarFollowsTheEditor()
    {
        // The caret's line and the count of screen lines: a long line wraps, more when the
        // window is narrower.
        ModelEditor* e = s_->w.Editor();
        QString longLine;
        for (int i = 0; i < 40; ++i)
            longLine += u"GRID %1 0 0 "_s.arg(i);
        e->setPlainText(u"ENDMODEL\n"_s + longLine);
        QTest::keyClick(e, Qt::Key_Down);
        const int wide = e->VisualLineCount();
        QVERIFY2(wide > 2, qPrintable(QString::number(wide)));
        QCOMPARE(Status(u"statusLines"_s), u" 2 of  %1"_s.arg(wide));
        s_->w.resize(s_->w.width() / 2, s_->w.height());
        QTRY_VERIFY(e->VisualLineCount() > wide);
        QCOMPARE(Status(u"statusLines"_s), u" 2 of  %1"_s.arg(e->VisualLineCount()));

        // A command puts the caret back on top.
        s_->prompts.answers << Answer::No;
        s_->Trigger(u"toolPrint"_s);
        QCOMPARE(e->textCursor().position(), 0);
        QVERIFY(Status(u"statusLines"_s).startsWith(u" 1 of"_s));

        // Reading progress shows until the program waits for the user again.
        auto* sink = static_cast<ProgressSink*>(&s_->w);
        QCOMPARE(s_->a.Progress, sink);
        sink->ShowReadProgress(12);
        QCOMPARE(Status(u"statusProgress"_s), u"Process 12"_s);
        QTRY_COMPARE(Status(u"statusProgress"_s), QString());
    }

    void modelFolderAndStartupFile()
    {
        // Without model files here: the user's data folder, made if missing.
        const QString data = Scratch(u"data/vrxSoftware/TAVU/"_s);
        QCOMPARE(s_->w.ModelFolder(), data);
        QVERIFY(QFileInfo(data).isDir());
        // With a model file here (any letter case): this folder.
        const QString here = Scratch(u"models"_s);
        QDir().mkpath(here);
        WriteBytes(here + u"/FRAME.TAV"_s, "GRID 1 0 0\r\n");
        QDir::setCurrent(here);
        QCOMPARE(Session().w.ModelFolder(), here + u"/"_s);

        // The model named at start: a missing file is ignored quietly, a relative path is
        // made whole.
        s_->w.OpenStartupFile(u"missing.tav"_s);
        QCOMPARE(s_->w.ModelPath(), QString());
        WriteBytes(u"my model.tav"_s, "GRID 1 0 0\r\n");
        s_->w.OpenStartupFile(u"my model.tav"_s);
        QDir::setCurrent(Scratch(u"cwd"_s));
        QCOMPARE(s_->w.ModelPath(), here + u"/my model.tav"_s);
        QCOMPARE(s_->w.Editor()->ModelText(), u"GRID 1 0 0"_s);
    }

    void factorizationIsChosenAndKept()
    {
        // Solve, Factorization: the next decomposition takes the way chosen, and the next
        // start of the program begins with it.
        QVERIFY(s_->w.findChild<QAction*>(u"actionSolverauto"_s)->isChecked());
        s_->Trigger(u"actionSolversparse"_s);
        QVERIFY(s_->Solve(Plate()));
        QCOMPARE(s_->a.System.Path, SolverPath::Sparse);
        s_.reset();
        s_ = std::make_unique<Session>();
        QVERIFY(s_->w.findChild<QAction*>(u"actionSolversparse"_s)->isChecked());
        s_->Trigger(u"actionSolverskyline"_s);
        QVERIFY(s_->Solve(Plate()));
        QCOMPARE(s_->a.System.Path, SolverPath::Skyline);
        s_->Trigger(u"actionSolverauto"_s);
    }

    void summaryPacesTheSteps()
    {
        // Each step, and each edit, grays or enables the Solve commands as the core says.
        QCOMPARE(s_->Enabled(), u"---- ---"_s);
        s_->Open(Plate());
        QCOMPARE(s_->Enabled(), u"-U-- U--"_s);
        s_->Trigger(u"toolRun"_s);
        QPointer<SummaryDialog> summary(s_->w.Summary());
        QCOMPARE(Stage(), int(ModelRead));
        QCOMPARE(s_->Enabled(), u"RU-P U-P"_s);
        s_->Continue();
        QCOMPARE(Stage(), int(Decomposed));
        s_->Continue();
        QCOMPARE(Stage(), int(Solved));
        QCOMPARE(s_->Enabled(), u"RUSP USP"_s);
        QCOMPARE(summary->findChild<QPushButton*>(u"continueButton"_s)->text(), u"Finish"_s);
        QVERIFY(!summary->findChild<QPushButton*>(u"cancelButton"_s)->isVisible());
        s_->Continue();
        QTRY_VERIFY(!summary);

        // A load edited (ENDMODEL is line 19): the next run goes straight to the load cases.
        s_->TypeAtLine(20, u" "_s);
        QCOMPARE(s_->Enabled(), u"RU-- U--"_s);
        s_->Trigger(u"toolRun"_s);
        QCOMPARE(Stage(), int(Solved));
        s_->Continue();

        // The ENDMODEL line edited: the model is read again, and the results of the old
        // tables go.
        s_->Trigger(u"toolSoln"_s);
        QPointer<QWidget> results(s_->w.Results());
        QVERIFY(results);
        s_->TypeAtLine(19, u" "_s);
        QCOMPARE(Stage(), int(ModelPending));
        s_->Trigger(u"toolRun"_s);
        QCOMPARE(Stage(), int(ModelRead));
        QTRY_VERIFY(!results);

        // A click into the summary text sends the focus back to the editor, caret on top.
        summary = s_->w.Summary();
        summary->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), summary.data());
        s_->w.Editor()->moveCursor(QTextCursor::End);
        QTest::mouseClick(summary->findChild<QPlainTextEdit*>()->viewport(), Qt::LeftButton);
        QTRY_COMPARE(s_->w.Editor()->textCursor().position(), 0);

        // Cancel after step 1: the next run decomposes at once.
        Click(summary, u"cancelButton"_s);
        QTRY_VERIFY(!summary);
        QCOMPARE(Stage(), int(ModelRead));
        s_->Trigger(u"toolRun"_s);
        QCOMPARE(Stage(), int(Decomposed));
        s_->Trigger(u"actionResetSolution"_s);
        QCOMPARE(s_->Enabled(), u"-U-- U--"_s);

        // A model the reader stops at: Continue is grayed, Reset and Plot Deformation not.
        s_->prompts.answers << Answer::No; // the edits are not saved
        s_->Open(DataModel(u"reader_error.tav"_s));
        s_->Trigger(u"toolRun"_s);
        QVERIFY(!s_->w.Summary()->findChild<QPushButton*>(u"continueButton"_s)->isEnabled());
        QCOMPARE(Stage(), int(ModelPending));
        QCOMPARE(s_->Enabled(), u"RU-P U-P"_s);
    }

    void scalarsDialogSetsTheLoadScalars()
    {
        s_->Open(DataModel(u"frame.tav"_s)); // SUBCASE 1 and SUBCASE 2
        s_->Trigger(u"toolRun"_s);
        s_->Continue();
        WhenModalShows<ScalarsDialog>([](ScalarsDialog* d) {
            const auto boxes = d->findChildren<QLineEdit*>();
            QCOMPARE(boxes.size(), 2);
            // No finite number: said, and the dialog stays open.
            boxes[0]->setText(u"-1e400"_s);
            QString said;
            WhenModalShows<QMessageBox>([&said](QMessageBox* m) {
                said = m->text();
                m->accept();
            });
            Click(d, u"okButton"_s);
            QCOMPARE(said, u"Subcase 1 scalar is not a finite number"_s);
            QVERIFY(d->isVisible());
            boxes[0]->setText(u"2.5"_s);
            // Only what fits the box can be typed.
            boxes[1]->clear();
            QTest::keyClicks(boxes[1], QString(60, u'7'));
            QVERIFY(boxes[1]->text().size() < 40);
            boxes[1]->setText(u"-3"_s);
            Click(d, u"okButton"_s);
        });
        s_->Continue();
        QCOMPARE(s_->a.LoadScalars[1], 2.5);
        QCOMPARE(s_->a.LoadScalars[2], -3.0);
        QCOMPARE(Stage(), int(Solved));
        s_->Continue();

        // The next run starts from the values typed; Cancel ends the step unsolved and
        // closes the summary window.
        s_->TypeAtLine(18, u" "_s);
        QStringList shown;
        WhenModalShows<ScalarsDialog>([&shown](ScalarsDialog* d) {
            for (const QLineEdit* box : d->findChildren<QLineEdit*>())
                shown << box->text();
            Click(d, u"cancelButton"_s);
        });
        s_->Trigger(u"toolRun"_s);
        QTRY_VERIFY(!s_->w.Summary());
        QCOMPARE(Stage(), int(Decomposed));
        QCOMPARE(shown, QStringList({u"2.5"_s, u"-3"_s}));
    }

    void resultsWindowListsAndCopies_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("average");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("lead"); // what every line starts with
        QTest::newRow("deflections: six grids") << 711 << false << 6 << u"\t\t"_s;
        QTest::newRow("reactions: grids 1 and 4") << 712 << false << 2 << u"\t\t"_s;
        QTest::newRow("beam 21, ends A and B") << 713 << false << 2 << u"\t21"_s;
        QTest::newRow("quad and triangle corners") << 714 << false << 10 << u"\t1"_s;
        QTest::newRow("averaged, one per quad") << 714 << true << 3 << u"\t\t1"_s;
    }

    void resultsWindowListsAndCopies()
    {
        QFETCH(int, option);
        QFETCH(bool, average);
        QFETCH(int, lines);
        QFETCH(QString, lead);
        QWidget* r = PlateResults();
        QVERIFY(r && r->findChild<QRadioButton*>(u"option711"_s)->isChecked());
        Click(r, u"option%1"_s.arg(option));
        if (average)
            Click(r, u"averageStresses"_s);
        QStringList listed;
        for (auto* list = r->findChild<QListWidget*>(); listed.size() < list->count();)
            listed << list->item(listed.size())->text();
        QCOMPARE(listed.size(), lines);
        for (const QString& line : listed)
            QVERIFY2(line.startsWith(lead), qPrintable(line));
        // The quad stresses widen the window to two more columns.
        QCOMPARE(r->findChild<QLabel*>(u"heading705"_s)->isVisible(), option == 714);

        // Copy asks first; Yes puts a heading line and the listed lines on the clipboard.
        QGuiApplication::clipboard()->setText(u"before"_s);
        s_->prompts.answers << Answer::No << Answer::Yes;
        Click(r, u"copyButton"_s);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_s);
        Click(r, u"copyButton"_s);
        const QStringList copied = QGuiApplication::clipboard()->text().split(u"\r\n"_s);
        QCOMPARE(copied.mid(1, lines), listed);
        QVERIFY(copied[0].startsWith(u'\t'));
    }

    void printingGoesThroughThePrintDialog()
    {
        QStringList files;
        int chosen = 0;
        auto next = [&](QPrinter& printer) {
            files << Scratch(u"print%1.pdf"_s.arg(files.size()));
            printer.setOutputFileName(files.last());
        };
        plot::PrinterChoice() = {};
        plot::Dialogs().choose = [&](QPrinter& printer, QWidget*, QString& name) {
            ++chosen;
            next(printer);
            name = u"Test Printer"_s;
            return true;
        };
        plot::Dialogs().attach = [&](QPrinter& printer, const QString&) { next(printer); };
        const auto restore = qScopeGuard([] { plot::UseStandardDialogs(); });

        // Results: the printer is chosen once in a run; No prints nothing.
        QWidget* r = PlateResults();
        QVERIFY(r);
        s_->prompts.answers << Answer::Yes << Answer::Yes << Answer::No;
        for (int option : {714, 711, 712}) {
            Click(r, u"option%1"_s.arg(option));
            Click(r, u"printButton"_s);
        }
        QCOMPARE(files.size(), 2);
        QCOMPARE(chosen, 1);
        // The model text: a printer every time, the text as the editor has it.
        s_->TypeAtLine(1, u"$ edited "_s);
        s_->prompts.answers << Answer::Yes;
        s_->Trigger(u"toolPrint"_s);
        QCOMPARE(files.size(), 3);
        QCOMPARE(chosen, 2);

        const QString tool = QStringLiteral(PDFTOTEXT_PATH);
        if (tool.isEmpty() || tool.endsWith(u"NOTFOUND"_s))
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QStringList expected{u"Quad Stresses"_s, u"Deflections"_s, u"$ edited $ Plate"_s};
        for (int i = 0; i < 3; ++i) {
            QProcess p;
            p.start(tool, {u"-layout"_s, files[i], u"-"_s});
            QVERIFY(p.waitForFinished());
            const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
            QVERIFY2(text.contains(expected[i]) && text.contains(u"plate.tav - Page 1"_s),
                     qPrintable(text));
        }
    }

    void plotWindowShowsTheModel()
    {
        // A model not read yet is read from the editor's text; no magnification then.
        const QString plate = Plate();
        s_->Open(plate);
        s_->Trigger(u"actionPlotModel"_s);
        QCOMPARE(Stage(), int(ModelRead));
        QVERIFY(Plot() && !Plot()->findChild<QScrollBar*>());
        QVERIFY(DarkPixels(PlotImage()) > 0);

        // Solved: the scroll bar moves the deformed shape, the box shows the grid numbers.
        QVERIFY(s_->Solve(plate));
        s_->Trigger(u"toolPlot"_s);
        auto* bar = Plot()->findChild<QScrollBar*>();
        QVERIFY(bar && bar->isEnabled());
        QCOMPARE(bar->value(), 0);
        const QImage still = PlotImage();
        bar->setSliderPosition(20);
        const QImage deformed = PlotImage();
        QVERIFY(deformed != still);
        auto* numbers = Plot()->findChild<QCheckBox*>();
        numbers->click();
        QVERIFY(DarkPixels(PlotImage()) > DarkPixels(deformed));
        numbers->click();
        QCOMPARE(PlotImage(), deformed);

        // Opened again: back at magnification 0.
        s_->Trigger(u"toolPlot"_s);
        QCOMPARE(PlotImage(), still);

        // A model that cannot be read says so instead of showing an empty window.
        s_->Trigger(u"actionNew"_s);
        s_->w.Editor()->setPlainText(u"GRID 1 0 0\nGRID 2 1 0"_s);
        s_->Trigger(u"actionPlotModel"_s);
        QCOMPARE(Stage(), int(ModelPending));
        QVERIFY(DarkPixels(PlotImage()) > 0);
    }

    void secondStartRaisesTheFirst()
    {
        // A socket file left by a program that ended abnormally does not stop a start.
        SingleInstance probe(u"TAVU in-process test"_s);
        QFile stale(probe.ServerName());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        SingleInstance first(u"TAVU in-process test"_s);
        QVERIFY(first.BecomeFirst());

        MainWindow& w = s_->w;
        connect(&first, &SingleInstance::RaiseRequested, &w, &MainWindow::BringToFront);
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
        SingleInstance second(u"TAVU in-process test"_s);
        QVERIFY(!second.BecomeFirst());
        QTRY_COMPARE(raised.count(), 1);
        QTRY_VERIFY(!w.isMinimized());

        // The real program started twice: the second ends at once, the first runs on.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, Scratch(u"run"_s));
        QProcess running, again;
        for (QProcess* p : {&running, &again})
            p->setProcessEnvironment(env);
        running.start(QStringLiteral(TAVU_APP_PATH), {});
        QVERIFY(running.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(Scratch(u"run/TAVU by dovEstrel"_s)), 20000);
        again.start(QStringLiteral(TAVU_APP_PATH),
                    {QStringLiteral(TAVU_EXAMPLES_DIR) + u"/portal-frame.tav"_s});
        QVERIFY(again.waitForFinished(20000));
        QCOMPARE(again.exitStatus(), QProcess::NormalExit);
        QCOMPARE(again.exitCode(), 0);
        QCOMPARE(running.state(), QProcess::Running);
        running.kill();
        running.waitForFinished(5000);
    }

    void helpPagesHoldTogether()
    {
        // Every link between the pages leads to an anchor.
        const QRegularExpression link(u"href=\"([a-z]+\\.html)?#([A-Za-z0-9_-]+)\""_s);
        int links = 0;
        for (const QString& page : {u"guide.html"_s, u"syntax.html"_s}) {
            for (auto it = link.globalMatch(Resource(page)); it.hasNext(); ++links) {
                const auto m = it.next();
                const QString target = m.captured(1).isEmpty() ? page : m.captured(1);
                QVERIFY2(Resource(target).contains(u"id=\"%1\""_s.arg(m.captured(2))),
                         qPrintable(page + u" -> "_s + m.captured(0)));
            }
        }
        QVERIFY(links > 20);
    }

    void aboutBoxOpensItsLinks()
    {
        s_->Trigger(u"actionAbout"_s);
        auto* box = s_->w.findChild<AboutBox*>();
        QVERIFY(box && box->isModal());

        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(u"mailto"_s, &catcher, "Open");
        QDesktopServices::setUrlHandler(u"https"_s, &catcher, "Open");
        auto* mail = box->findChild<QLabel*>(u"about9904"_s);
        auto* web = box->findChild<QLabel*>(u"about9905"_s);
        QTest::mouseClick(mail, Qt::LeftButton);
        QTest::mouseClick(web, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(u"mailto"_s);
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(catcher.urls, (QStringList{u"mailto:"_s + mail->text() + u"?"_s, web->text()}));
        box->close();
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"

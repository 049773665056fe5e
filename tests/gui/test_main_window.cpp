// The main window driven through its actions and buttons: enabling rules, status bar,
// model files and the questions about unsaved text.

#include "GuiTestSupport.h"
#include "app/AppText.h"
#include "app/MainWindow.h"
#include "app/ModelEditor.h"
#include "app/ResultsWindow.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextBlock>
#include <QtTest>
#include <memory>

using namespace tavu;
using namespace tavu::app;
using namespace tavu::app::test;

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> scratch_;
    std::unique_ptr<Analysis> a_;
    std::unique_ptr<ScriptedPrompts> prompts_;
    std::unique_ptr<MainWindow> w_;

    QString Scratch(const QString& name) const { return scratch_->filePath(name); }
    QAction* Act(const char* name) const { return w_->findChild<QAction*>(name); }
    QPushButton* Tool(const char* name) const { return w_->findChild<QPushButton*>(name); }
    QString Status(const char* name) const { return w_->findChild<QLabel*>(name)->text(); }

    // "RUSP" letters of the Solve items that can be chosen, and the same for the
    // buttons Run, Soln and Plot (Reset has no button).
    QString MenuStates() const
    {
        QString s;
        s += Act("actionResetSolution")->isEnabled() ? 'R' : '-';
        s += Act("actionRunSolution")->isEnabled() ? 'U' : '-';
        s += Act("actionShowSolution")->isEnabled() ? 'S' : '-';
        s += Act("actionPlotDeformation")->isEnabled() ? 'P' : '-';
        return s;
    }
    QString ButtonStates() const
    {
        QString s;
        s += Tool("toolRun")->isEnabled() ? 'U' : '-';
        s += Tool("toolSoln")->isEnabled() ? 'S' : '-';
        s += Tool("toolPlot")->isEnabled() ? 'P' : '-';
        return s;
    }

    // Opens a model through the Open command.
    void OpenModel(const QString& path)
    {
        prompts_->openNames << path;
        Act("actionOpen")->trigger();
    }

    // Types text at the start of a text line (1-based).
    void TypeAtLine(int line, const QString& text)
    {
        ModelEditor* e = w_->Editor();
        QTextCursor c(e->document()->findBlockByNumber(line - 1));
        e->setTextCursor(c);
        QTest::keyClicks(e, text);
    }

    QString MakeModel(const QString& name, const QByteArray& bytes)
    {
        const QString path = Scratch(name);
        WriteBytes(path, bytes);
        return path;
    }

private slots:
    void initTestCase()
    {
        scratch_ = std::make_unique<QTemporaryDir>();
        QVERIFY(scratch_->isValid());
        // The user's data folder and a current directory without model files.
        QDir(scratch_->path()).mkpath(QStringLiteral("data"));
        QDir(scratch_->path()).mkpath(QStringLiteral("cwd"));
        qputenv("XDG_DATA_HOME", Scratch(QStringLiteral("data")).toUtf8());
        QDir::setCurrent(Scratch(QStringLiteral("cwd")));
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

    void startsWithoutAModel()
    {
        QCOMPARE(w_->windowTitle(), QStringLiteral("2D Finite Element Program"));
        QCOMPARE(MenuStates(), QStringLiteral("----"));
        QCOMPARE(ButtonStates(), QStringLiteral("---"));
        for (const char* name : {"toolOpen", "toolSave", "toolPrint", "toolQuit"})
            QVERIFY2(Tool(name)->isEnabled(), name);
        for (const char* name :
             {"actionNew", "actionOpen", "actionSave", "actionSaveAs", "actionPrintModel",
              "actionPlotModel", "actionExit", "actionHelp", "actionSyntax", "actionAbout"})
            QVERIFY2(Act(name)->isEnabled(), name);
        QCOMPARE(Status("statusFile"), QString());
        QCOMPARE(Status("statusLines"), QString());
        QVERIFY(!w_->TextChanged());

        // Menus and their items in order, with the mnemonics as written.
        QStringList menus;
        QStringList items;
        for (QAction* m : w_->menuBar()->actions()) {
            menus << m->text();
            for (QAction* item : m->menu()->actions())
                items << (item->isSeparator() ? QStringLiteral("-") : item->text());
        }
        QCOMPARE(menus, (QStringList{"&File", "&Solve", "&Help"}));
        QCOMPARE(items, (QStringList{"&New", "&Open", "&Save", "Save&As", "-", "P&rint Model",
                                     "Plot Model", "E&xit", "&Reset Solution", "R&un Solution",
                                     "&Show Solution", "P&lot Deformation", "&Help", "&Syntax",
                                     "&About"}));
        QStringList buttons;
        for (const char* name :
             {"toolOpen", "toolSave", "toolPrint", "toolRun", "toolSoln", "toolPlot", "toolQuit"})
            buttons << Tool(name)->text();
        QCOMPARE(buttons, (QStringList{"Open", "Save", "Print", "Run", "Soln", "Plot", "Quit"}));
        // The buttons stand in a row left to right, Run and Quit after a gap.
        QVERIFY(Tool("toolRun")->x() > Tool("toolPrint")->geometry().right() + 1);
        QCOMPARE(Tool("toolSave")->x(), Tool("toolOpen")->geometry().right() + 1);
    }

    void modelFolderIsTheDataFolderWithoutModelsHere()
    {
        const QString expected = Scratch(QStringLiteral("data/vrxSoftware/TAVU/"));
        QCOMPARE(w_->ModelFolder(), expected);
        QVERIFY(QFileInfo(expected).isDir());

        // With a model file (any letter case) in the current directory, that is the
        // folder; a file there shows by its name alone, a file elsewhere by its path.
        const QString here = Scratch(QStringLiteral("models"));
        QDir().mkpath(here);
        WriteBytes(here + QStringLiteral("/FRAME.TAV"), "GRID 1 0 0\r\n");
        const QString elsewhere = MakeModel(QStringLiteral("other.tav"), "GRID 1 0 0\r\n");
        const QString previous = QDir::currentPath();
        QDir::setCurrent(here);
        Analysis a2;
        MainWindow w2(a2, *prompts_);
        QDir::setCurrent(previous);
        QCOMPARE(w2.ModelFolder(), here + QLatin1Char('/'));

        prompts_->openNames << here + QStringLiteral("/FRAME.TAV");
        w2.findChild<QAction*>("actionOpen")->trigger();
        QCOMPARE(w2.findChild<QLabel*>("statusFile")->text(), QStringLiteral("FRAME.TAV"));
        QCOMPARE(prompts_->dialogFolders.last(), here + QLatin1Char('/'));
        prompts_->openNames << elsewhere;
        w2.findChild<QAction*>("actionOpen")->trigger();
        QCOMPARE(w2.findChild<QLabel*>("statusFile")->text(), elsewhere);
        QCOMPARE(w2.ModelFileName(), QStringLiteral("other.tav"));
    }

    void openingAFileEnablesRunOnly()
    {
        // Results of an earlier model are in memory and were shown.
        a_->State.Stage = Solved;
        w_->FocusEditor();
        QCOMPARE(ButtonStates(), QStringLiteral("-SP"));

        const QString path =
            MakeModel(QStringLiteral("open.tav"), "GRID 1 0 0\r\nGRID 2 1 0\r\nENDMODEL\r\n");
        OpenModel(path);
        QCOMPARE(w_->ModelPath(), path);
        QCOMPARE(w_->Editor()->ModelText(), QStringLiteral("GRID 1 0 0\nGRID 2 1 0\nENDMODEL"));
        QCOMPARE(MenuStates(), QStringLiteral("-U--"));
        QCOMPARE(ButtonStates(), QStringLiteral("U--"));
        QCOMPARE(a_->State.Stage, int(ModelPending));
        QVERIFY(a_->State.LinesStale);
        QVERIFY(!w_->TextChanged());
        QCOMPARE(Status("statusFile"), path); // not in the model folder
        QCOMPARE(Status("statusLines"), QStringLiteral(" 1 of  3"));
        QCOMPARE(w_->DriverText(), std::string("GRID 1 0 0\r\nGRID 2 1 0\r\nENDMODEL"));
        QVERIFY(prompts_->asked.isEmpty());

        // Zooming and resizing change no text.
        a_->State.LinesStale = false;
        w_->Editor()->zoomIn(3);
        w_->resize(w_->width() + 40, w_->height() + 20);
        QTest::qWait(20);
        QVERIFY(!w_->TextChanged());
        QVERIFY(!a_->State.LinesStale);
    }

    void editsLowerTheStageByTheirLine()
    {
        OpenModel(DataModel(QStringLiteral("frame.tav")));
        struct Case
        {
            int stageBefore;
            int line;
            int stageAfter;
        } cases[] = {
            {Solved, 16, Decomposed},     // a LOAD line
            {Decomposed, 18, Decomposed}, // the last line
            {ModelRead, 16, ModelRead},   // below ENDMODEL before decomposing
            {Solved, 14, ModelPending},   // the ENDMODEL line itself
            {Solved, 2, ModelPending},    // a GRID line
        };
        for (const Case& c : cases) {
            a_->State.EndModelLine = 14;
            a_->State.Stage = c.stageBefore;
            a_->State.LinesStale = false;
            w_->FocusEditor();
            TypeAtLine(c.line, QStringLiteral(" "));
            QCOMPARE(a_->State.Stage, c.stageAfter);
            QVERIFY(a_->State.LinesStale);
            QVERIFY(w_->TextChanged());
            QCOMPARE(ButtonStates(), QStringLiteral("U--"));
        }
        // The driver reads the text with CR LF line ends, blanks and all.
        const std::string text = w_->DriverText();
        QVERIFY(text.find("GRID 1 0 0\r\n") != std::string::npos);
        QVERIFY(text.find(" LOAD 2 5 0\r\n") != std::string::npos);
    }

    void statusBarCountsEditorLines()
    {
        ModelEditor* e = w_->Editor();
        e->setPlainText(QStringLiteral("GRID 1\nGRID 2\nENDMODEL"));
        w_->FocusEditor();
        QCOMPARE(Status("statusLines"), QStringLiteral(" 1 of  3"));
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(w_->CaretLine(), 2);
        QCOMPARE(Status("statusLines"), QStringLiteral(" 2 of  3"));

        e->setPlainText(QStringLiteral("GRID 1 0 0"));
        QTest::keyClick(e, Qt::Key_End);
        QCOMPARE(Status("statusLines"), QString());

        // A long line wraps: the editor counts its screen lines, more when narrower.
        QString longLine;
        for (int i = 0; i < 40; ++i)
            longLine += QStringLiteral("GRID %1 0 0 ").arg(i);
        e->setPlainText(QStringLiteral("ENDMODEL\n") + longLine);
        QTest::keyClick(e, Qt::Key_Down);
        const int wide = e->VisualLineCount();
        QVERIFY2(wide > 2, qPrintable(QString::number(wide)));
        QCOMPARE(Status("statusLines"), QStringLiteral(" 2 of  %1").arg(wide));
        w_->resize(w_->width() / 2, w_->height());
        QTRY_VERIFY(e->VisualLineCount() > wide);
        QCOMPARE(Status("statusLines"), QStringLiteral(" 2 of  %1").arg(e->VisualLineCount()));
        // The driver still gets two text lines.
        QCOMPARE(w_->DriverText(), ToCore(QStringLiteral("ENDMODEL\r\n") + longLine));
    }

    void commandsPutTheCaretBackAtTheTop()
    {
        const QString path = MakeModel(QStringLiteral("caret.tav"), "A\r\nB\r\nC\r\n");
        OpenModel(path);
        QTextCursor c = w_->Editor()->textCursor();
        c.movePosition(QTextCursor::End);
        w_->Editor()->setTextCursor(c);
        QTest::keyClick(w_->Editor(), Qt::Key_Left);
        QCOMPARE(Status("statusLines"), QStringLiteral(" 3 of  3"));

        prompts_->answers << Answer::No;
        QTest::mouseClick(Tool("toolSave"), Qt::LeftButton);
        QCOMPARE(prompts_->asked.size(), 1);
        QCOMPARE(prompts_->asked[0].text, QStringLiteral("Save file now?"));
        QCOMPARE(prompts_->asked[0].title, QStringLiteral("Save File"));
        QVERIFY(!prompts_->asked[0].withCancel);
        QCOMPARE(w_->Editor()->textCursor().position(), 0);
        QCOMPARE(Status("statusLines"), QStringLiteral(" 1 of  3"));
    }

    void printAsksBeforeItPrints()
    {
        OpenModel(MakeModel(QStringLiteral("print.tav"), "A\r\nB\r\n"));
        prompts_->asked.clear();
        prompts_->answers << Answer::No;
        QTest::mouseClick(Tool("toolPrint"), Qt::LeftButton);
        QCOMPARE(prompts_->asked.size(), 1);
        QCOMPARE(prompts_->asked[0].text, QStringLiteral("Print the file now?"));
        QCOMPARE(prompts_->asked[0].title, QStringLiteral("Print File"));
        QVERIFY(!prompts_->asked[0].withCancel);
        QCOMPARE(prompts_->unexpected, 0);
    }

    void filesKeepEveryByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("editorText");
        QTest::newRow("CR LF") << QByteArray("GRID 1 0 0\r\nENDMODEL\r\n")
                               << QStringLiteral("GRID 1 0 0\nENDMODEL");
        QTest::newRow("no final line end")
            << QByteArray("GRID 1 0 0\r\nENDMODEL") << QStringLiteral("GRID 1 0 0\nENDMODEL");
        QTest::newRow("LF only") << QByteArray("GRID 1 0 0\nENDMODEL\n")
                                 << QStringLiteral("GRID 1 0 0\nENDMODEL");
        QTest::newRow("two final line ends")
            << QByteArray("ENDMODEL\r\n\r\n") << QStringLiteral("ENDMODEL\n");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("8-bit, tabs, blanks")
            << QByteArray("GRID 1\t0 0   \r\n$ d\xE9j\xE0 vu \xA0 \x1A\r\n")
            << QString::fromLatin1("GRID 1\t0 0   \n$ d\xE9j\xE0 vu \xA0 \x1A");
        QTest::newRow("UTF-8 with mark")
            << QByteArray("\xEF\xBB\xBFGRID 1 0 0 $ \xC2\xB0\r\n")
            << (QChar(0xFEFF) + QStringLiteral("GRID 1 0 0 $ ") + QChar(0xB0));
    }

    void filesKeepEveryByte()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, editorText);
        const QString path = MakeModel(QStringLiteral("bytes.tav"), bytes);
        OpenModel(path);
        QCOMPARE(w_->Editor()->ModelText(), editorText);
        prompts_->answers << Answer::Yes;
        Act("actionSave")->trigger();
        QCOMPARE(ReadBytes(path), bytes);
        QVERIFY(!w_->TextChanged());

        // An edit is saved with the file's own line ends.
        TypeAtLine(1, QStringLiteral("X"));
        QVERIFY(w_->TextChanged());
        prompts_->answers << Answer::Yes;
        Act("actionSave")->trigger();
        QVERIFY(!w_->TextChanged());
        OpenModel(path);
        QVERIFY(w_->Editor()->ModelText().contains(QLatin1Char('X')));
        const QByteArray saved = ReadBytes(path);
        QCOMPARE(saved.contains("\r\n"), bytes.contains("\r\n"));
    }

    void saveQuestionsAndSaveAs()
    {
        // Untitled: Save goes to Save As without a question.
        w_->Editor()->setPlainText(QStringLiteral("GRID 1 0 0\nENDMODEL"));
        QVERIFY(w_->TextChanged());
        QCOMPARE(MenuStates(), QStringLiteral("----")); // typing does not enable Run
        const QString path = Scratch(QStringLiteral("saved-as.tav"));
        prompts_->saveNames << path;
        QTest::mouseClick(Tool("toolSave"), Qt::LeftButton);
        QVERIFY(prompts_->asked.isEmpty());
        QCOMPARE(prompts_->saveInitialPaths, QStringList{QString()});
        QCOMPARE(prompts_->dialogFolders.last(), w_->ModelFolder());
        QCOMPARE(ReadBytes(path), QByteArray("GRID 1 0 0\r\nENDMODEL\r\n"));
        QCOMPARE(w_->ModelPath(), path);
        QCOMPARE(Status("statusFile"), path);
        QCOMPARE(MenuStates(), QStringLiteral("-U--"));
        QVERIFY(!w_->TextChanged());

        // Titled: the question; No leaves the file as it was.
        TypeAtLine(1, QStringLiteral("$"));
        prompts_->answers << Answer::No;
        Act("actionSave")->trigger();
        QCOMPARE(ReadBytes(path), QByteArray("GRID 1 0 0\r\nENDMODEL\r\n"));
        QVERIFY(w_->TextChanged());

        // Save As offers the whole current path.
        prompts_->saveNames << Scratch(QStringLiteral("copy.tav"));
        Act("actionSaveAs")->trigger();
        QCOMPARE(prompts_->saveInitialPaths.last(), path);
        QCOMPARE(ReadBytes(Scratch(QStringLiteral("copy.tav"))),
                 QByteArray("$GRID 1 0 0\r\nENDMODEL\r\n"));
    }

    void newAsksOnlyForChangedFiles()
    {
        // An untitled, edited text is emptied without a question.
        w_->Editor()->setPlainText(QStringLiteral("GRID 1"));
        Act("actionNew")->trigger();
        QVERIFY(prompts_->asked.isEmpty());
        QCOMPARE(w_->Editor()->ModelText(), QString());
        QVERIFY(!w_->TextChanged());

        const QString path = MakeModel(QStringLiteral("new.tav"), "GRID 1 0 0\r\n");
        struct Case
        {
            Answer answer;
            bool emptied;
            QByteArray fileAfter;
        } cases[] = {
            {Answer::Cancel, false, "GRID 1 0 0\r\n"},
            {Answer::No, true, "GRID 1 0 0\r\n"},
            {Answer::Yes, true, "XGRID 1 0 0\r\n"},
        };
        for (const Case& c : cases) {
            WriteBytes(path, "GRID 1 0 0\r\n");
            if (w_->TextChanged())
                prompts_->answers << Answer::No; // the text kept by Cancel
            OpenModel(path);
            TypeAtLine(1, QStringLiteral("X"));
            prompts_->asked.clear();
            prompts_->answers << c.answer;
            Act("actionNew")->trigger();
            QCOMPARE(prompts_->asked.size(), 1);
            QCOMPARE(prompts_->asked[0].text,
                     QStringLiteral("File records have changed...\r\ndo you want to save them?"));
            QVERIFY(prompts_->asked[0].withCancel);
            QCOMPARE(w_->Editor()->ModelText().isEmpty(), c.emptied);
            QCOMPARE(w_->ModelPath().isEmpty(), c.emptied);
            QCOMPARE(MenuStates(), c.emptied ? QStringLiteral("----") : QStringLiteral("-U--"));
            QCOMPARE(ReadBytes(path), c.fileAfter);
        }
        // New on an unchanged file: no question.
        OpenModel(path);
        prompts_->asked.clear();
        Act("actionNew")->trigger();
        QVERIFY(prompts_->asked.isEmpty());
        QCOMPARE(w_->ModelPath(), QString());
        QCOMPARE(Status("statusFile"), QString());
    }

    void openAsksToSaveChangedText()
    {
        const QString first = MakeModel(QStringLiteral("first.tav"), "A\r\n");
        const QString second = MakeModel(QStringLiteral("second.tav"), "B\r\n");
        OpenModel(first);
        TypeAtLine(1, QStringLiteral("1"));
        prompts_->answers << Answer::Yes;
        OpenModel(second);
        QCOMPARE(prompts_->asked.size(), 1);
        QCOMPARE(prompts_->asked[0].text,
                 QStringLiteral("File has changed...\r\nShould it be saved?"));
        QVERIFY(!prompts_->asked[0].withCancel);
        QCOMPARE(ReadBytes(first), QByteArray("1A\r\n"));
        QCOMPARE(w_->ModelPath(), second);

        TypeAtLine(1, QStringLiteral("2"));
        prompts_->answers << Answer::No;
        OpenModel(first);
        QCOMPARE(ReadBytes(second), QByteArray("B\r\n"));
        QCOMPARE(w_->Editor()->ModelText(), QStringLiteral("1A"));

        // Untitled: Yes runs Save As, then the chosen file is opened.
        Act("actionNew")->trigger();
        w_->Editor()->setPlainText(QStringLiteral("C"));
        const QString third = Scratch(QStringLiteral("third.tav"));
        prompts_->answers << Answer::Yes;
        prompts_->saveNames << third;
        OpenModel(second);
        QCOMPARE(ReadBytes(third), QByteArray("C\r\n"));
        QCOMPARE(w_->ModelPath(), second);

        // Untitled, Yes, and no name given: the text stays, nothing is opened.
        Act("actionNew")->trigger();
        w_->Editor()->setPlainText(QStringLiteral("D"));
        prompts_->answers << Answer::Yes;
        prompts_->saveNames << QString();
        OpenModel(second);
        QCOMPARE(w_->Editor()->ModelText(), QStringLiteral("D"));
        QCOMPARE(w_->ModelPath(), QString());
        QVERIFY(w_->TextChanged());
    }

    void closingAsksAndCanBeCancelled()
    {
        QSignalSpy ends(w_.get(), &MainWindow::ProgramEnds);
        w_->Editor()->setPlainText(QStringLiteral("GRID 1"));

        prompts_->answers << Answer::Cancel;
        w_->close();
        QVERIFY(w_->isVisible());
        QCOMPARE(ends.count(), 0);

        // Yes on an untitled text, then no name: the text is kept and the window stays.
        prompts_->answers << Answer::Yes;
        prompts_->saveNames << QString();
        Act("actionExit")->trigger();
        QVERIFY(w_->isVisible());
        QCOMPARE(ends.count(), 0);

        // Quit closes the results window even when the exit is then cancelled.
        w_->ShowSolution();
        QPointer<ResultsWindow> shown(w_->Results());
        QVERIFY(shown);
        QVERIFY(shown->isVisible());
        prompts_->answers << Answer::Cancel;
        QTest::mouseClick(Tool("toolQuit"), Qt::LeftButton);
        QTRY_VERIFY(!shown);
        QVERIFY(w_->isVisible());
        QCOMPARE(ends.count(), 0);

        prompts_->answers << Answer::No;
        Act("actionExit")->trigger();
        QVERIFY(!w_->isVisible());
        QCOMPARE(ends.count(), 1);
        QCOMPARE(prompts_->asked.size(), 4);
        QCOMPARE(prompts_->asked.last().text,
                 QStringLiteral("File records have changed...\r\ndo you want to save them?"));
    }

    void failedWritesKeepTheChanges()
    {
        QDir(scratch_->path()).mkpath(QStringLiteral("gone"));
        const QString path = MakeModel(QStringLiteral("gone/model.tav"), "GRID 1 0 0\r\n");
        OpenModel(path);
        TypeAtLine(1, QStringLiteral("X"));
        QVERIFY(QDir(Scratch(QStringLiteral("gone"))).removeRecursively());

        prompts_->answers << Answer::Yes;
        Act("actionSave")->trigger();
        QCOMPARE(prompts_->reports.size(), 1);
        QVERIFY(prompts_->reports[0].startsWith(QStringLiteral("Save File|")));
        QVERIFY(prompts_->reports[0].contains(path));
        QVERIFY(w_->TextChanged());

        // Save As into a folder that does not exist: the old name stays.
        prompts_->saveNames << Scratch(QStringLiteral("nowhere/x.tav"));
        QVERIFY(!w_->SaveModelAs());
        QCOMPARE(prompts_->reports.size(), 2);
        QCOMPARE(w_->ModelPath(), path);
        QVERIFY(w_->TextChanged());

        // An untitled text that cannot be saved does not become runnable.
        prompts_->answers << Answer::No;
        Act("actionNew")->trigger();
        w_->Editor()->setPlainText(QStringLiteral("GRID 1"));
        prompts_->saveNames << Scratch(QStringLiteral("nowhere/y.tav"));
        Act("actionSaveAs")->trigger();
        QCOMPARE(MenuStates(), QStringLiteral("----"));
        QCOMPARE(w_->ModelPath(), QString());
    }

    void unreadableFilesAreReported()
    {
        w_->Editor()->setPlainText(QStringLiteral("KEEP"));
        const QString folder = Scratch(QStringLiteral("folder.tav"));
        QDir().mkpath(folder);
        prompts_->answers << Answer::No;
        OpenModel(folder);
        QCOMPARE(prompts_->reports.size(), 1);
        QVERIFY(prompts_->reports[0].startsWith(QStringLiteral("Open File|")));
        QCOMPARE(w_->Editor()->ModelText(), QStringLiteral("KEEP"));
        QCOMPARE(w_->ModelPath(), QString());
        QCOMPARE(MenuStates(), QStringLiteral("----"));

        // A file too large for the editor is refused before anything is read.
        const QString huge = Scratch(QStringLiteral("huge.tav"));
        QFile f(huge);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(MaxModelFileBytes + 1)); // sparse: no disk space used
        f.close();
        prompts_->answers << Answer::No;
        OpenModel(huge);
        QCOMPARE(prompts_->reports.size(), 2);
        QVERIFY(prompts_->reports[1].contains(QStringLiteral("larger than 256 MB")));
        QCOMPARE(w_->Editor()->ModelText(), QStringLiteral("KEEP"));
        QFile::remove(huge);
    }

    void commandLineModel()
    {
        // A path that names no file is ignored without a message.
        w_->OpenStartupFile(Scratch(QStringLiteral("missing.tav")));
        QCOMPARE(w_->ModelPath(), QString());
        QVERIFY(prompts_->reports.isEmpty());

        // A relative path with blanks is opened as a full path.
        QDir::setCurrent(scratch_->path());
        MakeModel(QStringLiteral("my model.tav"), "GRID 1 0 0\r\n");
        w_->OpenStartupFile(QStringLiteral("my model.tav"));
        QDir::setCurrent(Scratch(QStringLiteral("cwd")));
        QCOMPARE(w_->ModelPath(), Scratch(QStringLiteral("my model.tav")));
        QCOMPARE(w_->Editor()->ModelText(), QStringLiteral("GRID 1 0 0"));
        QCOMPARE(MenuStates(), QStringLiteral("-U--"));
    }

    void readProgressShowsUntilTheStepEnds()
    {
        auto* sink = static_cast<ProgressSink*>(w_.get());
        QCOMPARE(a_->Progress, sink);
        sink->ShowReadProgress(7);
        sink->ShowReadProgress(12);
        QCOMPARE(Status("statusProgress"), QStringLiteral("Process 12"));
        QTRY_COMPARE(Status("statusProgress"), QString());
        // The three parts stand side by side, left to right.
        const auto* file = w_->findChild<QLabel*>("statusFile");
        const auto* progress = w_->findChild<QLabel*>("statusProgress");
        const auto* lines = w_->findChild<QLabel*>("statusLines");
        QVERIFY(file->geometry().right() < progress->geometry().left());
        QVERIFY(progress->geometry().right() < lines->geometry().left());
    }

    void resetSolutionGraysItself()
    {
        OpenModel(DataModel(QStringLiteral("frame.tav")));
        // The driver reports that the reader ran.
        static_cast<DriverEvents*>(w_.get())->ModelReaderRan();
        QCOMPARE(MenuStates(), QStringLiteral("RU-P"));
        a_->State.Stage = Solved;
        a_->State.LinesStale = false;
        w_->FocusEditor();
        QCOMPARE(MenuStates(), QStringLiteral("RUSP"));
        QCOMPARE(ButtonStates(), QStringLiteral("USP"));

        Act("actionResetSolution")->trigger();
        QCOMPARE(a_->State.Stage, int(ModelPending));
        QVERIFY(a_->State.LinesStale);
        QCOMPARE(MenuStates(), QStringLiteral("-U--"));
        QCOMPARE(ButtonStates(), QStringLiteral("U--"));
        w_->FocusEditor();
        QCOMPARE(MenuStates(), QStringLiteral("-U--"));
    }

    void bringToFrontRestores()
    {
        w_->showMinimized();
        QTRY_VERIFY(w_->isMinimized());
        w_->BringToFront();
        QTRY_VERIFY(!w_->isMinimized());
        QVERIFY(w_->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"

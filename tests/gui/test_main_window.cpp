// The main window and the windows it opens, driven through buttons, actions and keys: what
// each command reaches, model files byte for byte, the questions about unsaved text, the
// summary window pacing the steps, the load case scalars, the results window with Copy
// and Print, the plot window, help and About; the editor's finding, colours and lines;
// recent and dropped files; every window on the screen; and one program per session.

#include "GuiTestSupport.h"
#include "app/AboutBox.h"
#include "app/AppText.h"
#include "app/FindDialog.h"
#include "app/ModelEditor.h"
#include "app/Prompts.h"
#include "app/ScalarsDialog.h"
#include "app/SingleInstance.h"
#include "plot/PlotWindow.h"
#include "plot/PrintCommands.h"
#include "plot/WindowSupport.h"

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

// A drag of these files entering the widget and dropped on it.
void Drop(QWidget* target, const QList<QUrl>& files)
{
    QMimeData mime;
    mime.setUrls(files);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// The format the editor gives the character at (line, column), both from 0.
QTextCharFormat FormatAt(const QTextDocument* d, int line, int column)
{
    for (const QTextLayout::FormatRange& r : d->findBlockByNumber(line).layout()->formats())
        if (r.start <= column && column < r.start + r.length)
            return r.format;
    return QTextCharFormat();
}

// What of a window lies outside it or outside the screen's free area: its frame, and
// every button, label, box, scroll bar and field shown.
QStringList OffLimits(const QWidget* window)
{
    QStringList off;
    const QRect area = window->screen()->availableGeometry();
    if (!area.contains(window->frameGeometry()))
        off << window->objectName() + u" beyond the screen"_s;
    for (const QWidget* c : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<const QAbstractButton*>(c) ||
                             qobject_cast<const QLabel*>(c) || qobject_cast<const QScrollBar*>(c) ||
                             qobject_cast<const QLineEdit*>(c);
        if (!control || !c->isVisibleTo(window) || c->size().isEmpty())
            continue;
        if (!window->rect().contains(QRect(c->mapTo(window, QPoint(0, 0)), c->size())))
            off << window->objectName() + u" cuts "_s +
                       (c->objectName().isEmpty()
                            ? QString::fromLatin1(c->metaObject()->className())
                            : c->objectName());
    }
    return off;
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
    // Which edit commands can be chosen: "URXCPAFNEG" when all of them.
    QString Edits() const
    {
        QString on;
        for (std::size_t i = 0; i < EditCommandCount; ++i)
            on += s_->w.findChild<QAction*>(QLatin1String(EditCommandItems[i].name))->isEnabled()
                      ? QLatin1Char("URXCPAFNEG"[i])
                      : QLatin1Char('-');
        return on;
    }
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
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Scratch(u"config"_s));
        qputenv("XDG_CONFIG_HOME", Scratch(u"config"_s).toUtf8());
        QDir::setCurrent(Scratch(u"cwd"_s));
        HelpWindow warmUp; // makes the help pages known to the resource system
    }

    void init()
    {
        plot::ProgramSettings()->clear(); // each test starts as on a new machine
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
        // The caret's line and the count of file lines, however the lines wrap: a long
        // line is one line, wide or narrow, wrapped or not.
        ModelEditor* e = s_->w.Editor();
        QString longLine;
        for (int i = 0; i < 40; ++i)
            longLine += u"GRID %1 0 0 "_s.arg(i);
        e->setPlainText(u"ENDMODEL\n"_s + longLine + u"\nLOAD 1"_s);
        QTest::keyClick(e, Qt::Key_Down);
        QTest::keyClick(e, Qt::Key_End);
        QVERIFY(e->document()->findBlockByNumber(1).layout()->lineCount() > 2);
        QCOMPARE(Status(u"statusLines"_s), u" 2 of  3"_s);
        for (int width : {s_->w.width() / 2, s_->w.minimumWidth(), s_->w.width() * 2}) {
            s_->w.resize(width, s_->w.height());
            QTest::qWait(20);
            QCOMPARE(Status(u"statusLines"_s), u" 2 of  3"_s);
        }
        s_->Trigger(u"actionWrapLines"_s); // off: the same count
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(Status(u"statusLines"_s), u" 3 of  3"_s);

        // A command keeps the caret where it was.
        const int caret = e->textCursor().position();
        s_->prompts.answers << Answer::No;
        s_->Trigger(u"toolPrint"_s);
        QCOMPARE(e->textCursor().position(), caret);

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

        // A click into the summary text sends the focus back to the editor, its caret
        // where it was.
        summary = s_->w.Summary();
        QTRY_COMPARE(QApplication::activeWindow(), summary.data());
        s_->w.Editor()->moveCursor(QTextCursor::End);
        const int end = s_->w.Editor()->textCursor().position();
        QTest::mouseClick(summary->findChild<QPlainTextEdit*>()->viewport(), Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), s_->w.Editor());
        QCOMPARE(s_->w.Editor()->textCursor().position(), end);

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

        // Solved: the deformed shape at full magnification with its factor; the scroll bar
        // moves it, the box shows the grid numbers.
        QVERIFY(s_->Solve(plate));
        s_->Trigger(u"toolPlot"_s);
        auto* bar = Plot()->findChild<QScrollBar*>();
        QVERIFY(bar && bar->isEnabled());
        QCOMPARE(bar->value(), 20);
        QCOMPARE(Plot()->View(), PlotView::Deformed);
        QVERIFY(Plot()->findChild<QLabel*>(u"plotMagnificationFactor"_s)->text().startsWith(u"x "));
        const QImage deformed = PlotImage();
        bar->setSliderPosition(0);
        const QImage still = PlotImage();
        QVERIFY(deformed != still);
        QVERIFY(Plot()->findChild<QLabel*>(u"plotMagnificationFactor"_s)->text().isEmpty());
        bar->setSliderPosition(20);
        auto* numbers = Plot()->findChild<QCheckBox*>(u"plotGridNumbers"_s);
        numbers->click();
        QVERIFY(DarkPixels(PlotImage()) > DarkPixels(deformed));
        numbers->click();
        QCOMPARE(PlotImage(), deformed);

        // The views of the plate with its edge beams: each its own picture.
        auto* views = Plot()->findChild<QComboBox*>(u"plotView"_s);
        QCOMPARE(views->count(), PlotViewCount);
        QList<QImage> pictures{deformed};
        for (int i = 0; i < views->count(); ++i) {
            views->setCurrentIndex(i);
            emit views->activated(i);
            if (Plot()->View() != PlotView::Deformed)
                pictures << PlotImage();
        }
        QCOMPARE(Plot()->View(), PlotView::VonMises);
        for (int i = 0; i < pictures.size(); ++i)
            for (int j = i + 1; j < pictures.size(); ++j)
                QVERIFY2(pictures[i] != pictures[j],
                         qPrintable(u"views %1 and %2"_s.arg(i).arg(j)));

        // Zoom with + and the wheel, back with Home; the pictures go out as files.
        auto* surface = Plot()->findChild<plot::PlotSurface*>();
        const QImage fitted = PlotImage();
        QTest::keyClick(surface, Qt::Key_Plus);
        QVERIFY(PlotImage() != fitted);
        QTest::keyClick(surface, Qt::Key_Home);
        QCOMPARE(PlotImage(), fitted);
        QString target;
        const auto chooser = plot::PictureFileChooser();
        const auto restore = qScopeGuard([&] { plot::PictureFileChooser() = chooser; });
        plot::PictureFileChooser() = [&target](QWidget*) { return target; };
        for (const QString& name : {u"p.png"_s, u"p.svg"_s, u"p.pdf"_s}) {
            target = Scratch(name);
            Plot()->findChild<QPushButton*>(u"plotSave"_s)->click();
            QVERIFY2(QFileInfo(target).size() > 500, qPrintable(name));
        }
        Plot()->findChild<QPushButton*>(u"plotCopy"_s)->click();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), surface->size());

        // Opened again: at the magnification last chosen, the deformed shape, numbers off.
        bar->setSliderPosition(7);
        s_->Trigger(u"toolPlot"_s);
        QCOMPARE(Plot()->findChild<QScrollBar*>()->value(), 7);
        QCOMPARE(Plot()->View(), PlotView::Deformed);

        // The results window's Plot shows what its listing lists.
        s_->Trigger(u"toolSoln"_s);
        QWidget* results = s_->w.Results();
        for (const auto& [option, view] : {std::pair{u"option713"_s, PlotView::Moment},
                                           std::pair{u"option714"_s, PlotView::VonMises},
                                           std::pair{u"option712"_s, PlotView::Deformed}}) {
            QTest::mouseClick(results->findChild<QAbstractButton*>(option), Qt::LeftButton);
            results->findChild<QPushButton*>(u"plotButton"_s)->click();
            QVERIFY(Plot());
            QCOMPARE(Plot()->View(), view);
        }

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

        // Given a file, the later start hands it over: the first opens it, asking about
        // its unsaved text first, but only once no dialog of its own is open.
        connect(&first, &SingleInstance::OpenRequested, &w, &MainWindow::OpenHandedOver,
                Qt::QueuedConnection);
        const QString plate = Plate();
        w.Editor()->setPlainText(u"unsaved"_s);
        s_->Trigger(u"actionAbout"_s);
        QPointer<QWidget> about = s_->w.findChild<AboutBox*>();
        QTRY_COMPARE(QApplication::activeModalWidget(), about.data());
        SingleInstance third(u"TAVU in-process test"_s);
        QVERIFY(!third.BecomeFirst(plate));
        QTRY_COMPARE(raised.count(), 2);
        QTest::qWait(300);
        QVERIFY(w.ModelPath().isEmpty());
        s_->prompts.answers << Answer::No;
        about->close();
        QTRY_COMPARE(w.ModelPath(), plate);
        QCOMPARE(s_->prompts.log, QStringList{u"Ask Save File"_s});

        // The real program started twice: the second ends at once, the first runs on.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, Scratch(u"run"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, Scratch(u"config"_s)); // not the user's settings
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

    void editorFindsReplacesAndGoesToLines()
    {
        ModelEditor* e = s_->w.Editor();
        QGuiApplication::clipboard()->clear();
        QCOMPARE(Edits(), u"------F-E-"_s);
        e->setPlainText(u"GRID 1 0 0\ngrid 2 10 0\nBEAM 1 1 2 1 1\nENDMODEL\nLOAD 2 0 -1"_s);
        s_->Trigger(u"actionFind"_s);
        FindDialog* find = s_->w.Find();
        QVERIFY(find && find->isVisible());
        find->findChild<QLineEdit*>(u"findWhat"_s)->setText(u"grid"_s);
        QCOMPARE(Edits(), u"-----AFNEG"_s);

        // Without regard to case, round from the end to the top; with it, only the exact
        // word.
        auto selection = [e] {
            return u"%1:%2"_s.arg(e->CaretLine()).arg(e->textCursor().selectedText());
        };
        QStringList found;
        s_->Trigger(u"actionFindNext"_s);
        found << selection();
        s_->Trigger(u"actionFindNext"_s);
        found << selection();
        Click(find, u"findNextButton"_s);
        found << selection();
        find->findChild<QCheckBox*>(u"matchCase"_s)->setChecked(true);
        for (int i = 0; i < 2; ++i) {
            s_->Trigger(u"actionFindNext"_s);
            found << selection();
        }
        QCOMPARE(found.join(u' '), u"1:GRID 2:grid 1:GRID 2:grid 2:grid"_s);
        find->findChild<QLineEdit*>(u"findWhat"_s)->setText(u"QUAD"_s);
        Click(find, u"findNextButton"_s);
        QCOMPARE(s_->prompts.log.last(), u"Report Find: Cannot find \"QUAD\""_s);

        // Replace: the selection when it matches, then on to the next; Replace All as one
        // step of the undo history, also when the replacement holds what it replaces.
        s_->Trigger(u"actionReplace"_s);
        find->findChild<QLineEdit*>(u"findWhat"_s)->setText(u"grid 2"_s);
        find->findChild<QLineEdit*>(u"replaceWith"_s)->setText(u"GRID 3"_s);
        e->moveCursor(QTextCursor::Start);
        Click(find, u"replaceButton"_s);
        QCOMPARE(e->toPlainText().count(u"grid 2"_s), 1);
        s_->prompts.log.clear();
        Click(find, u"replaceButton"_s);
        QCOMPARE(s_->prompts.log, QStringList{u"Report Find: Cannot find \"grid 2\""_s});
        const QString once = e->toPlainText();
        QVERIFY(once.startsWith(u"GRID 1 0 0\nGRID 3 10 0\n"_s));
        find->findChild<QLineEdit*>(u"findWhat"_s)->setText(u"1"_s);
        find->findChild<QLineEdit*>(u"replaceWith"_s)->setText(u"11"_s);
        Click(find, u"replaceAllButton"_s);
        QCOMPARE(e->toPlainText(),
                 u"GRID 11 0 0\nGRID 3 110 0\nBEAM 11 11 2 11 11\nENDMODEL\nLOAD 2 0 -11"_s);
        QCOMPARE(Stage(), int(ModelPending));
        s_->Trigger(u"actionUndo"_s);
        QCOMPARE(e->toPlainText(), once);
        QCOMPARE(Edits().left(2), u"UR"_s);

        // Go to Line: asked with the count of file lines; the caret on that line.
        s_->prompts.lines << 4;
        s_->Trigger(u"actionGoToLine"_s);
        QCOMPARE(s_->prompts.log.last(), u"Ask Go to Line: Line number (1 - 5):"_s);
        QCOMPARE(e->CaretLine(), 4);
        QCOMPARE(Status(u"statusLines"_s), u" 4 of  5"_s);
    }

    void editorColoursRecordsAndNumbersLines()
    {
        ModelEditor* e = s_->w.Editor();
        QVERIFY(QFontInfo(e->font()).fixedPitch());
        e->setPlainText(u"GRID 1 0 0 $ corner\nGRIDS 2 1 0\nBEAM PIN 1 1 2 1 1"_s);
        const QTextDocument* d = e->document();
        QCOMPARE(FormatAt(d, 0, 0).fontWeight(), int(QFont::Bold)); // keyword
        QVERIFY(FormatAt(d, 0, 13).fontItalic());                   // comment
        QCOMPARE(FormatAt(d, 1, 0).underlineStyle(), QTextCharFormat::WaveUnderline);
        QVERIFY(FormatAt(d, 2, 5).foreground() != FormatAt(d, 2, 9).foreground()); // PIN, 1
        QVERIFY(FormatAt(d, 2, 9).foreground() != QTextCharFormat().foreground());
        // The line is coloured again as it is edited: the keyword corrected.
        QTextCursor c(d->findBlockByNumber(1));
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 4);
        c.deleteChar();
        QCOMPARE(FormatAt(d, 1, 0).fontWeight(), int(QFont::Bold));
        QCOMPARE(FormatAt(d, 1, 0).underlineStyle(), QTextCharFormat::NoUnderline);

        // The margin numbers the file lines left of the text, wider for more digits.
        QWidget* margin = e->Margin();
        QVERIFY(margin->isVisible() && e->viewport()->x() >= margin->width());
        const int narrow = margin->width();
        e->setPlainText(u"$\n"_s.repeated(12000));
        QVERIFY(margin->width() > narrow);
        QVERIFY(DarkPixels(margin->grab().toImage()) > 0);
    }

    void messagesLeadToTheirLines()
    {
        // Notes first, so that the records lie below the editor's first screen.
        s_->Open(MakeModel(u"links.tav"_s,
                           "$ note\r\n"_ba.repeated(60) +
                               "GRID 1 0 0\r\nGRID 2\t10 0\r\nGRID 2 20 0\r\nBEAM 1 1 2 1 1\r\n"
                               "PROP 1 1 1\r\nMATL 1 1000\r\nDOFS DEF 1 1 1\r\nRACT 1 1 1 1\r\n"
                               "ENDMODEL\r\n"));
        ModelEditor* e = s_->w.Editor();
        s_->Trigger(u"toolRun"_s);
        QPointer<QWidget> summary = s_->w.Summary();
        QVERIFY(summary);
        auto* text = summary->findChild<QPlainTextEdit*>();
        const auto block = [text](const QString& s) {
            for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next())
                if (b.text() == s)
                    return b;
            return QTextBlock();
        };
        const auto clickOn = [text](const QTextBlock& b) {
            QTextCursor c(b);
            text->setTextCursor(c);
            text->ensureCursorVisible();
            QTest::mouseClick(text->viewport(), Qt::LeftButton, {},
                              text->cursorRect(c).center() + QPoint(2, 0));
        };

        // A click on the message, or on the record echoed above it, selects the record.
        clickOn(block(u"... Grid 2 a duplicate"_s));
        QTRY_COMPARE(QApplication::focusWidget(), e);
        QCOMPARE(e->CaretLine(), 63);
        QCOMPARE(e->textCursor().selectedText(), u"GRID 2 20 0"_s);
        QVERIFY(e->cursorRect().top() >= 0 && e->cursorRect().bottom() <= e->viewport()->height());
        e->GoToLine(1);
        clickOn(block(u"GRID 2\t10 0"_s));
        QTRY_COMPARE(e->CaretLine(), 62);

        // Tab reaches the text; Enter on a warning follows it.
        e->GoToLine(1);
        summary->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), summary.data());
        text->setFocus(Qt::TabFocusReason);
        text->setTextCursor(QTextCursor(block(u"... TAB read as a blank"_s)));
        QTest::keyClick(text, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), e);
        QCOMPARE(e->textCursor().selectedText(), u"GRID 2\t10 0"_s);

        // A line that names no record leads nowhere: Enter there is Continue, grayed here.
        summary->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), summary.data());
        text->setFocus(Qt::TabFocusReason);
        text->setTextCursor(QTextCursor(text->document()->begin()));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(e->CaretLine(), 62);
        QVERIFY(summary);
    }

    void runKeepsTheEditorAsItWas()
    {
        // The plate model with a long tail of notes, the caret far down in it.
        QByteArray bytes = ReadBytes(DataModel(u"plate.tav"_s));
        for (int i = 0; i < 300; ++i)
            bytes += "$ note " + QByteArray::number(i) + "\r\n";
        s_->Open(MakeModel(u"long.tav"_s, bytes));
        ModelEditor* e = s_->w.Editor();
        e->GoToLine(200);
        e->moveCursor(QTextCursor::Right);
        e->moveCursor(QTextCursor::Right);
        const int caret = e->textCursor().position();
        const int scroll = e->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        const QString text = e->ModelText();

        // F5 runs; every Enter then goes to the summary window: Continue, Continue, Finish.
        QTRY_COMPARE(QApplication::focusWidget(), e);
        QTest::keyClick(e, Qt::Key_F5);
        QTRY_VERIFY(s_->w.Summary() && QApplication::activeWindow() == s_->w.Summary());
        for (int step = 0; step < 3; ++step) {
            QTest::qWait(20); // as between two key presses
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(Stage(), int(Solved));
        QTRY_VERIFY(!s_->w.Summary());
        QCOMPARE(e->ModelText(), text);
        QTRY_COMPARE(QApplication::focusWidget(), e);

        // F6 shows the results, Escape closes them, Reset: the caret and the view stay.
        QTest::keyClick(e, Qt::Key_F6);
        QPointer<QWidget> results = s_->w.Results();
        QVERIFY(results);
        results->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), results.data());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!results);
        s_->Trigger(u"actionResetSolution"_s);
        QCOMPARE(e->textCursor().position(), caret);
        QCOMPARE(e->verticalScrollBar()->value(), scroll);
        QCOMPARE(Status(u"statusLines"_s), u" 200 of  321"_s);
    }

    void keysCloseTheWindows()
    {
        // Escape closes help, results (whose button still reads Cancel) and plot; Enter
        // closes About.
        QVERIFY(s_->Solve(Plate()));
        s_->Trigger(u"actionHelp"_s);
        QPointer<QWidget> help = s_->w.Help();
        s_->Trigger(u"toolSoln"_s);
        QPointer<QWidget> results = s_->w.Results();
        QCOMPARE(results->findChild<QPushButton*>(u"cancelButton"_s)->text(), u"&Cancel"_s);
        s_->Trigger(u"toolPlot"_s);
        QPointer<QWidget> plot = Plot();
        for (QWidget* window : {help.data(), results.data(), plot.data()}) {
            QVERIFY(window && window->isVisible());
            window->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), window);
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                            Qt::Key_Escape);
        }
        QTRY_VERIFY(!results && !plot && !help->isVisible());
        s_->Trigger(u"actionAbout"_s);
        QPointer<AboutBox> about = s_->w.findChild<AboutBox*>();
        QTest::keyClick(about, Qt::Key_Return);
        QTRY_VERIFY(!about || !about->isVisible());
    }

    void windowsFitTheScreenWithEveryControlVisible()
    {
        // Every window inside the screen and every control inside its window, as opened
        // and at the window's smallest size.
        QStringList off;
        auto check = [&off](QWidget* window) {
            QVERIFY(window && window->isVisible());
            QTest::qWait(20);
            off << OffLimits(window);
            const QSize size = window->size();
            window->resize(1, 1);
            off << OffLimits(window);
            window->resize(size);
        };
        check(&s_->w);
        QVERIFY(s_->Solve(Plate()));
        s_->Trigger(u"toolRun"_s);
        check(s_->w.Summary());
        s_->Trigger(u"toolSoln"_s);
        check(s_->w.Results());
        Click(s_->w.Results(), u"option714"_s); // wider, moved left
        check(s_->w.Results());
        s_->Trigger(u"toolPlot"_s);
        check(Plot());
        s_->Trigger(u"actionHelp"_s);
        check(s_->w.Help());
        s_->Trigger(u"actionReplace"_s);
        check(s_->w.Find());
        s_->Trigger(u"actionAbout"_s);
        check(s_->w.findChild<AboutBox*>());
        s_->w.findChild<AboutBox*>()->close();
        QVERIFY2(off.isEmpty(), qPrintable(off.join(u"; "_s)));

        // A main window last left larger than this screen comes back inside it.
        s_->w.setGeometry(s_->w.screen()->geometry().adjusted(-50, -50, 900, 900));
        s_->prompts.answers << Answer::No;
        s_->w.close();
        Session next;
        next.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&next.w));
        QTest::qWait(20);
        QCOMPARE(OffLimits(&next.w), QStringList());
    }

    void filesFromMenusDropsAndSettings()
    {
        // The title names the file and marks unsaved changes; undone, they are gone.
        QCOMPARE(s_->w.windowTitle(), u"Untitled[*] - 2D Finite Element Program"_s);
        const QString plate = Plate();
        s_->Open(plate);
        QCOMPARE(s_->w.windowTitle(), u"plate.tav[*] - 2D Finite Element Program"_s);
        QVERIFY(!s_->w.isWindowModified());
        s_->TypeAtLine(1, u"X"_s);
        QVERIFY(s_->w.isWindowModified() && s_->w.TextChanged());
        s_->Trigger(u"actionUndo"_s);
        QVERIFY(!s_->w.isWindowModified() && !s_->w.TextChanged());

        // A model file dropped on the editor is opened (asking about unsaved text); other
        // files in the drop are passed over.
        const QString frame = MakeModel(u"frame.tav"_s, ReadBytes(DataModel(u"frame.tav"_s)));
        s_->TypeAtLine(1, u"X"_s);
        s_->prompts.answers << Answer::No;
        s_->prompts.log.clear();
        Drop(s_->w.Editor()->viewport(),
             {QUrl::fromLocalFile(Scratch(u"notes.txt"_s)), QUrl::fromLocalFile(frame)});
        QTRY_COMPARE(s_->w.ModelPath(), frame);
        QCOMPARE(s_->prompts.log, QStringList{u"Ask Save File"_s});

        // Recent files, newest first, open from the File menu and come back at the next
        // start with the wrapping chosen; a file gone is said and leaves the list.
        auto* recent = s_->w.findChild<QMenu*>(u"menuRecentFiles"_s);
        QCOMPARE(recent->actions().size(), 2);
        QCOMPARE(recent->actions()[1]->text(), u"&2 "_s + plate);
        recent->actions()[1]->trigger();
        QCOMPARE(s_->w.ModelPath(), plate);
        s_->Trigger(u"actionWrapLines"_s);
        QVERIFY(!s_->w.Editor()->Wraps());
        QFile::remove(frame);
        QCOMPARE(s_->prompts.unexpected, 0);
        s_ = std::make_unique<Session>();
        QVERIFY(!s_->w.Editor()->Wraps());
        QCOMPARE(s_->w.RecentFiles(), (std::vector<std::string>{ToCore(plate), ToCore(frame)}));
        s_->w.findChild<QAction*>(u"recentFile2"_s)->trigger();
        QVERIFY(s_->prompts.log.last().startsWith(u"Report Open File: "_s));
        QCOMPARE(s_->w.RecentFiles(), std::vector<std::string>{ToCore(plate)});
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

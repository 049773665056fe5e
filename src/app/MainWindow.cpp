#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/AppIcon.h"
#include "app/AppText.h"
#include "app/DialogUnits.h"
#include "app/HelpWindow.h"
#include "app/ModelEditor.h"
#include "app/Prompts.h"
#include "app/ResultsWindow.h"
#include "app/SummaryDialog.h"
#include "plot/PlotApi.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

namespace tavu::app {

namespace {

QString Latin(const char* text)
{
    return QString::fromLatin1(text);
}

// The program's few settings (the factorization), in the user's configuration folder.
QSettings AppSettings()
{
    return QSettings(QStringLiteral("vrxSoftware"), QStringLiteral("TAVU"));
}

} // namespace

MainWindow::MainWindow(Analysis& a, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                              Qt::CustomizeWindowHint),
      a_(a), prompts_(prompts)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(Latin(Title));
    setWindowIcon(AppIcon());

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    strip_ = new QFrame(client_);
    strip_->setObjectName(QStringLiteral("toolStrip"));
    strip_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    editor_ = new ModelEditor(client_);
    editor_->setObjectName(QStringLiteral("editor"));

    CreateActions();
    CreateMenus();
    CreateToolbar();
    CreateStatusBar();
    Apply(CommandEvent::ProgramStart);

    connect(editor_, &ModelEditor::TextEdited, this, &MainWindow::OnTextEdited);
    connect(editor_, &ModelEditor::CaretMoved, this, &MainWindow::MeasureCaret);
    connect(editor_, &ModelEditor::FocusGained, this, &MainWindow::OnEditorFocus);

    FindModelFolder();
    a_.Progress = this;
    progressPainted_.start();

    // 270 x 280 dialog units, centred on the screen.
    const DialogUnits du(font());
    resize(du.ClientOfWindow(MainWindowWidthDu, MainWindowHeightDu));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    LayOut();
}

MainWindow::~MainWindow()
{
    destroying_ = true;
    if (a_.Progress == this)
        a_.Progress = nullptr;
    if (results_)
        delete results_.data();
}

void MainWindow::CreateActions()
{
    auto make = [this](const char* text, const char* name, auto slot) {
        auto* action = new QAction(Latin(text), this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    newAction_ = make("&New", "actionNew", &MainWindow::NewModel);
    openAction_ = make("&Open", "actionOpen", &MainWindow::OpenModel);
    saveAction_ = make("&Save", "actionSave", &MainWindow::SaveModel);
    saveAsAction_ = make("Save&As", "actionSaveAs", &MainWindow::SaveModelAs);
    printAction_ = make("P&rint Model", "actionPrintModel", &MainWindow::PrintModel);
    plotModelAction_ = make("Plot Model", "actionPlotModel", &MainWindow::PlotModel);
    exitAction_ = make("E&xit", "actionExit", &MainWindow::ExitProgram);
    resetAction_ =
        make("&Reset Solution", "actionResetSolution", &MainWindow::ResetSolutionCommand);
    runAction_ = make("R&un Solution", "actionRunSolution", &MainWindow::RunSolution);

    // The factorization setting, as saved by the last choice (automatic by default).
    solverGroup_ = new QActionGroup(this);
    const QString saved = AppSettings().value(QStringLiteral("solver")).toString();
    a_.SolverChoice = ParseSolver(saved.toStdString()).value_or(SolverPath::Auto);
    const std::array<std::pair<const char*, SolverPath>, 3> solvers{
        {{"&Automatic", SolverPath::Auto},
         {"&Skyline", SolverPath::Skyline},
         {"S&parse", SolverPath::Sparse}}};
    for (const auto& [text, path] : solvers) {
        auto* item = new QAction(Latin(text), solverGroup_);
        item->setObjectName(QStringLiteral("actionSolver") + Latin(SolverName(path)));
        item->setCheckable(true);
        item->setChecked(path == a_.SolverChoice);
        item->setData(static_cast<int>(path));
    }
    connect(solverGroup_, &QActionGroup::triggered, this, &MainWindow::ChooseSolver);
    showAction_ = make("&Show Solution", "actionShowSolution", &MainWindow::ShowSolution);
    plotAction_ = make("P&lot Deformation", "actionPlotDeformation", &MainWindow::PlotDeformation);
    helpAction_ = make("&Help", "actionHelp", &MainWindow::ShowHelp);
    syntaxAction_ = make("&Syntax", "actionSyntax", &MainWindow::ShowSyntax);
    aboutAction_ = make("&About", "actionAbout", &MainWindow::ShowAbout);
}

void MainWindow::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(Latin("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    file->addAction(newAction_);
    file->addAction(openAction_);
    file->addAction(saveAction_);
    file->addAction(saveAsAction_);
    file->addSeparator();
    file->addAction(printAction_);
    file->addAction(plotModelAction_);
    file->addAction(exitAction_);

    QMenu* solve = menuBar()->addMenu(Latin("&Solve"));
    solve->setObjectName(QStringLiteral("menuSolve"));
    solve->addAction(resetAction_);
    solve->addAction(runAction_);
    QMenu* factorization = solve->addMenu(Latin("&Factorization"));
    factorization->setObjectName(QStringLiteral("menuFactorization"));
    factorization->addActions(solverGroup_->actions());
    solve->addAction(showAction_);
    solve->addAction(plotAction_);

    QMenu* help = menuBar()->addMenu(Latin("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addAction(helpAction_);
    help->addAction(syntaxAction_);
    help->addAction(aboutAction_);
}

void MainWindow::CreateToolbar()
{
    static const char* const names[7] = {"toolOpen", "toolSave", "toolPrint", "toolRun",
                                         "toolSoln", "toolPlot", "toolQuit"};
    QAction* const sends[6] = {openAction_, saveAction_, printAction_,
                               runAction_,  showAction_, plotAction_};
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto* b = new QPushButton(Latin(ToolbarButtons[i].text), client_);
        b->setObjectName(Latin(names[i]));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        if (i < 6)
            connect(b, &QPushButton::clicked, sends[i], &QAction::trigger);
        else
            connect(b, &QPushButton::clicked, this, &MainWindow::Quit);
        buttons_[i] = b;
    }
}

void MainWindow::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    static const char* const names[3] = {"statusFile", "statusProgress", "statusLines"};
    for (std::size_t i = 0; i < status_.size(); ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(Latin(names[i]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        bar->addWidget(label, i == 2 ? 1 : 0);
        status_[i] = label;
    }
}

void MainWindow::FindModelFolder()
{
    const QString current = QDir::currentPath();
    bool holdsModels = false;
    const QStringList files = QDir(current).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : files)
        if (IsModelFileName(ToCore(name))) {
            holdsModels = true;
            break;
        }
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    modelFolder_ = QString::fromStdString(
        ChooseModelFolder(ToCore(current), holdsModels, ToCore(dataDir), ToCore(QDir::homePath())));
    if (!QFileInfo(modelFolder_).isDir())
        QDir().mkpath(modelFolder_);
}

void MainWindow::Apply(CommandEvent event)
{
    states_ = NextCommandStates(states_, event, a_.State.Stage);
    resetAction_->setEnabled(states_.resetSolution);
    runAction_->setEnabled(states_.runSolution);
    showAction_->setEnabled(states_.showSolution);
    plotAction_->setEnabled(states_.plotDeformation);
    buttons_[3]->setEnabled(states_.runSolution);
    buttons_[4]->setEnabled(states_.showSolution);
    buttons_[5]->setEnabled(states_.plotDeformation);
}

std::string MainWindow::DriverText() const
{
    return NormalizeLineEnds(ToCore(editor_->ModelText()));
}

void MainWindow::OpenStartupFile(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    LoadModelFile(absolute, false);
    FocusEditor();
}

// ---------------------------------------------------------------------------------------
// Files

bool MainWindow::LoadModelFile(const QString& path, bool reportMissing)
{
    ModelFileContent content;
    QString error;
    switch (ReadModelFile(path, content, error)) {
    case ReadStatus::Read:
        break;
    case ReadStatus::Missing:
        if (!reportMissing) {
            modelPath_.clear();
            return false;
        }
        prompts_.Report(this, Latin(OpenDialogTitle),
                        QStringLiteral("The model file\n%1\ndoes not exist.").arg(path));
        return false;
    case ReadStatus::Failed:
        prompts_.Report(
            this, Latin(OpenDialogTitle),
            QStringLiteral("The model file\n%1\ncould not be read:\n%2").arg(path, error));
        return false;
    }
    modelPath_ = path;
    format_ = content.format;
    editor_->SetModelText(content.text);
    textChanged_ = false;
    ResetSolution(a_);
    a_.TypedScalars = {};
    SetStatusPart(1);
    Apply(CommandEvent::ModelFileLoaded);
    caretLine_ = 1;
    SetStatusPart(3);
    return true;
}

bool MainWindow::SaveModelFile()
{
    QString error;
    if (!WriteModelFile(modelPath_, editor_->ModelText(), format_, error)) {
        // The text stays marked as changed: nothing was lost, nothing was saved.
        prompts_.Report(
            this, Latin(SaveFileTitle),
            QStringLiteral("The model could not be saved to\n%1\n%2").arg(modelPath_, error));
        return false;
    }
    textChanged_ = false;
    return true;
}

bool MainWindow::PromptSaveChanges()
{
    const bool untitled = modelPath_.isEmpty();
    const PromptPlan plan = PromptFor(FileCommand::New, untitled, textChanged_);
    if (!plan.ask)
        return true;
    const Answer answer =
        prompts_.Ask(this, Latin(SaveFileTitle), Latin(plan.question), plan.withCancel);
    if (answer == Answer::Cancel)
        return false;
    // A save that fails or a Save As given no name keeps the text: the command stops.
    switch (SaveActionFor(FileCommand::New, answer, untitled)) {
    case SaveAction::Save:
        return SaveModelFile();
    case SaveAction::SaveAs:
        return SaveModelAs();
    case SaveAction::None:
        break;
    }
    return true;
}

void MainWindow::NewModel()
{
    if (!PromptSaveChanges())
        return;
    modelPath_.clear();
    textChanged_ = false;
    ResetSolution(a_);
    a_.TypedScalars = {};
    editor_->SetModelText(QString());
    format_ = ModelFileFormat{};
    Apply(CommandEvent::NewModel);
    caretLine_ = 1;
    SetStatusPart(1);
    SetStatusPart(3);
}

void MainWindow::OpenModel()
{
    const QString path = prompts_.OpenFileName(this, Latin(OpenDialogTitle), modelFolder_);
    if (!path.isEmpty()) {
        bool go = true;
        const bool untitled = modelPath_.isEmpty();
        const PromptPlan plan = PromptFor(FileCommand::Open, untitled, textChanged_);
        if (plan.ask) {
            const Answer answer =
                prompts_.Ask(this, Latin(SaveFileTitle), Latin(plan.question), plan.withCancel);
            go = answer != Answer::Cancel;
            switch (SaveActionFor(FileCommand::Open, answer, untitled)) {
            case SaveAction::Save:
                go = SaveModelFile();
                break;
            case SaveAction::SaveAs:
                go = SaveModelAs();
                break;
            case SaveAction::None:
                break;
            }
        }
        if (go)
            LoadModelFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath()), true);
    }
    FocusEditor();
}

void MainWindow::SaveModel()
{
    const bool untitled = modelPath_.isEmpty();
    const PromptPlan plan = PromptFor(FileCommand::Save, untitled, textChanged_);
    if (plan.ask) {
        const Answer answer =
            prompts_.Ask(this, Latin(SaveFileTitle), Latin(plan.question), plan.withCancel);
        if (SaveActionFor(FileCommand::Save, answer, untitled) == SaveAction::Save)
            SaveModelFile();
    } else if (SaveActionFor(FileCommand::Save, Answer::Yes, untitled) == SaveAction::SaveAs) {
        SaveModelAs();
    }
    FocusEditor();
}

bool MainWindow::SaveModelAs()
{
    const QString name =
        prompts_.SaveFileName(this, Latin(SaveDialogTitle), modelFolder_, modelPath_);
    if (name.isEmpty())
        return false;
    const QString previous = modelPath_;
    modelPath_ = QDir::cleanPath(QFileInfo(name).absoluteFilePath());
    if (!SaveModelFile()) {
        modelPath_ = previous;
        return false;
    }
    SetStatusPart(1);
    Apply(CommandEvent::SaveAsCompleted);
    return true;
}

void MainWindow::PrintModel()
{
    // The print command asks whether to print, then for a printer.
    if (prompts_.Ask(this, Latin(PrintFileTitle), Latin(PrintNowQuestion), false) == Answer::Yes)
        PrintModelText(a_, this, DriverText(), ToCore(modelFileName_));
    FocusEditor();
}

void MainWindow::PlotModel()
{
    // A model not read yet is read by the plot window from the current text.
    ShowPlotWindow(a_, this, false, DriverText());
}

void MainWindow::PlotDeformation()
{
    ShowPlotWindow(a_, this, true, DriverText());
}

void MainWindow::ExitProgram()
{
    if (!PromptSaveChanges())
        return;
    exitConfirmed_ = true;
    close();
    exitConfirmed_ = false;
}

void MainWindow::CloseResultsAndPlot()
{
    if (results_)
        results_->close();
    ClosePlotWindow();
}

void MainWindow::Quit()
{
    CloseResultsAndPlot();
    ExitProgram();
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (!exitConfirmed_ && !PromptSaveChanges()) {
        e->ignore();
        return;
    }
    if (summary_)
        summary_->Close();
    CloseResultsAndPlot();
    if (help_)
        help_->close();
    e->accept();
    emit ProgramEnds();
}

// ---------------------------------------------------------------------------------------
// Solution

void MainWindow::ResetSolutionCommand()
{
    ResetSolution(a_);
    Apply(CommandEvent::ResetSolution);
}

void MainWindow::ChooseSolver(QAction* item)
{
    a_.SolverChoice = static_cast<SolverPath>(item->data().toInt());
    AppSettings().setValue(QStringLiteral("solver"), Latin(SolverName(a_.SolverChoice)));
}

void MainWindow::RunSolution()
{
    if (summary_)
        summary_->Close();
    // Reading the model again re-creates the tables the results window lists.
    if (a_.State.Stage == ModelPending && results_)
        results_->close();

    auto* summary = new SummaryDialog(
        a_, this,
        [self = QPointer<MainWindow>(this)] {
            if (self)
                self->FocusEditor();
        },
        this);
    summary_ = summary;
    const DialogUnits du(font());
    summary->move(client_->mapToGlobal(QPoint(du.X(10), du.Y(10))));
    if (summary->Start(DriverText()))
        summary->show();
}

void MainWindow::ShowSolution()
{
    if (results_)
        results_->close();
    ResultsHost host;
    host.focusEditor = [self = QPointer<MainWindow>(this)] {
        if (self)
            self->FocusEditor();
    };
    host.modelFileName = [self = QPointer<MainWindow>(this)] {
        return self ? ToCore(self->ModelFileName()) : std::string();
    };
    auto* results = new ResultsWindow(a_, prompts_, this, std::move(host));
    results_ = results;
    results->show();
}

void MainWindow::ModelReaderRan()
{
    Apply(CommandEvent::ModelProcessed);
}

void MainWindow::ShowProgressText(const std::string& text)
{
    if (summary_)
        summary_->ShowProgress(text);
}

void MainWindow::ShowReadProgress(int line)
{
    QLabel* part = status_[1];
    const bool first = part->text().isEmpty();
    part->setText(FromCore(ReadProgressText(line)));
    if (isVisible() && progressPainted_.elapsed() > 100) {
        part->repaint();
        progressPainted_.restart();
    }
    // Cleared once the step is over and the program waits for the user again.
    if (first)
        QTimer::singleShot(0, part, [part] { part->clear(); });
}

// ---------------------------------------------------------------------------------------
// Help

void MainWindow::ShowHelp()
{
    if (!help_)
        help_ = new HelpWindow(this);
    help_->ShowPage(HelpWindow::GuidePage());
}

void MainWindow::ShowSyntax()
{
    if (!help_)
        help_ = new HelpWindow(this);
    help_->ShowPage(HelpWindow::SyntaxPage());
}

void MainWindow::ShowAbout()
{
    auto* box = new AboutBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// ---------------------------------------------------------------------------------------
// Editor and status bar

void MainWindow::OnTextEdited(int line)
{
    textChanged_ = true;
    MarkTextEdited(a_, line);
    Apply(CommandEvent::TextEdited);
}

void MainWindow::OnEditorFocus(bool caretToTop)
{
    focusHandled_ = true;
    if (caretToTop)
        editor_->MoveCaretToTop();
    caretLine_ = editor_->CaretVisualLine();
    SetStatusPart(3);
    Apply(CommandEvent::EditorFocusGained);
}

void MainWindow::FocusEditor()
{
    if (destroying_)
        return;
    activateWindow();
    focusHandled_ = false;
    if (editor_->hasFocus()) {
        OnEditorFocus(true);
        return;
    }
    editor_->setFocus(Qt::OtherFocusReason);
    // A window that is not active receives the focus only when it is activated; the
    // editor's focus work is done now all the same.
    if (!focusHandled_)
        OnEditorFocus(true);
}

void MainWindow::MeasureCaret()
{
    caretLine_ = editor_->CaretVisualLine();
    SetStatusPart(3);
}

void MainWindow::SetStatusPart(int part)
{
    if (part == 1) {
        const ModelPathParts parts = SplitModelPath(ToCore(modelPath_));
        modelFileName_ = QString::fromStdString(parts.fileName);
        setWindowFilePath(modelPath_);
        status_[0]->setText(
            QString::fromStdString(FileStatusText(ToCore(modelPath_), ToCore(modelFolder_))));
    } else if (part == 3) {
        status_[2]->setText(FromCore(LineStatusText(caretLine_, editor_->VisualLineCount())));
    }
}

void MainWindow::BringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    LayOut();
}

void MainWindow::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    LayOut();
}

void MainWindow::LayOut()
{
    if (!client_)
        return;
    const DialogUnits du(font());
    // The client area holds the status bar too.
    const int w = du.ToDuX(client_->width());
    const int h = du.ToDuY(client_->height() + statusBar()->height());
    const MainWindowLayout l = MainLayout(w, h);
    strip_->setGeometry(0, 0, client_->width(), du.Y(l.strip.h));
    editor_->setGeometry(du.Rect(l.editor));
    // Edges rounded one by one, so that buttons that touch in dialog units touch on the
    // screen too.
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const int x = ToolbarButtons[i].x;
        buttons_[i]->setGeometry(du.X(x), du.Y(ToolbarButtonYDu),
                                 du.X(x + ToolbarButtonWidthDu) - du.X(x),
                                 du.Y(ToolbarButtonHeightDu));
    }
    const std::array<int, 3> edges = StatusPartEdges(width());
    status_[0]->setFixedWidth(std::max(0, edges[0] - 8));
    status_[1]->setFixedWidth(std::max(0, edges[1] - edges[0] - 8));
    SetStatusPart(1);
    SetStatusPart(3);
}

} // namespace tavu::app

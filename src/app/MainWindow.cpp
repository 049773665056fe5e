#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/AppIcon.h"
#include "app/AppText.h"
#include "app/DialogUnits.h"
#include "app/FindDialog.h"
#include "app/HelpWindow.h"
#include "app/ModelEditor.h"
#include "app/Prompts.h"
#include "app/ResultsWindow.h"
#include "app/SummaryDialog.h"
#include "mesh/GmshImport.h"
#include "mesh/MeshModel.h"
#include "plot/PlotApi.h"
#include "plot/WindowSupport.h"
#include "results/ResultExport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <functional>
#include <sstream>

namespace tavu::app {

namespace {

QString Latin(const char* text)
{
    return QString::fromLatin1(text);
}

// The platform's keys for a command, or the given one where the platform has none.
QList<QKeySequence> KeysOr(QKeySequence::StandardKey key, QKeySequence fallback)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty())
        keys << fallback;
    return keys;
}

} // namespace

MainWindow::MainWindow(Analysis& a, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                              Qt::CustomizeWindowHint),
      a_(a), prompts_(prompts)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowIcon(AppIcon());
    setAcceptDrops(true);

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    strip_ = new QFrame(client_);
    strip_->setObjectName(QStringLiteral("toolStrip"));
    strip_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    editor_ = new ModelEditor(client_);
    editor_->setObjectName(QStringLiteral("editor"));

    CreateActions();
    CreateEditActions();
    CreateMenus();
    CreateToolbar();
    CreateStatusBar();
    Apply(CommandEvent::ProgramStart);

    connect(editor_, &ModelEditor::TextEdited, this, &MainWindow::OnTextEdited);
    connect(editor_, &ModelEditor::FocusGained, this, &MainWindow::OnEditorFocus);
    connect(editor_, &QPlainTextEdit::cursorPositionChanged, this, [this] { SetStatusPart(3); });
    connect(editor_, &QPlainTextEdit::blockCountChanged, this, [this] { SetStatusPart(3); });
    connect(editor_, &ModelEditor::ModelFileDropped, this, &MainWindow::OpenDropped);
    // Undoing back to the text last saved or loaded: nothing to save any more.
    connect(editor_->document(), &QTextDocument::modificationChanged, this, [this](bool changed) {
        const QTextDocument* d = editor_->document();
        if (!changed && (d->isUndoAvailable() || d->isRedoAvailable()))
            SetTextChanged(false);
    });

    FindModelFolder();
    a_.Progress = this;
    progressPainted_.start();

    const std::unique_ptr<QSettings> settings = plot::ProgramSettings();
    SetWrap(settings->value(QLatin1String(plot::WrapLinesKey), true).toBool());
    for (const QString& path : settings->value(QLatin1String(plot::RecentFilesKey)).toStringList())
        if (recentFiles_.size() < MaxRecentFiles)
            recentFiles_.push_back(ToCore(path));
    ShowRecentFiles();

    // 270 x 280 dialog units, centred on the screen, or where it was last; never larger
    // than the screen, never so small that a button is cut off.
    const DialogUnits du(font());
    setMinimumSize(du.X(MainMinimumWidthDu),
                   du.Y(MainMinimumHeightDu) + menuBar()->sizeHint().height());
    QRect wanted(QPoint(), du.ClientOfWindow(MainWindowWidthDu, MainWindowHeightDu));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        wanted.moveCenter(screen->availableGeometry().center());
    if (restoreGeometry(settings->value(QLatin1String(plot::MainGeometryKey)).toByteArray()))
        wanted = geometry();
    plot::PlaceOnScreen(this, wanted);
    SetStatusPart(1);
    SetTextChanged(false);
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
    importMeshAction_ = make(ImportMeshText, "actionImportMesh", &MainWindow::ImportMesh);
    exportResultsAction_ =
        make(ExportResultsText, "actionExportResults", &MainWindow::ExportResults);
    resetAction_ =
        make("&Reset Solution", "actionResetSolution", &MainWindow::ResetSolutionCommand);
    runAction_ = make("R&un Solution", "actionRunSolution", &MainWindow::RunSolution);

    // The factorization setting, as saved by the last choice (automatic by default).
    solverGroup_ = new QActionGroup(this);
    const QString saved = plot::ProgramSettings()->value(QLatin1String(plot::SolverKey)).toString();
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

    newAction_->setShortcuts(QKeySequence::New);
    openAction_->setShortcuts(QKeySequence::Open);
    saveAction_->setShortcuts(QKeySequence::Save);
    saveAsAction_->setShortcuts(
        KeysOr(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    printAction_->setShortcuts(QKeySequence::Print);
    exitAction_->setShortcuts(QKeySequence::Quit);
    runAction_->setShortcut(QKeySequence(Qt::Key_F5));
    showAction_->setShortcut(QKeySequence(Qt::Key_F6));
    plotAction_->setShortcut(QKeySequence(Qt::Key_F7));
    helpAction_->setShortcuts(QKeySequence::HelpContents);

    wrapAction_ = new QAction(Latin(WrapLinesText), this);
    wrapAction_->setObjectName(QStringLiteral("actionWrapLines"));
    wrapAction_->setCheckable(true);
    connect(wrapAction_, &QAction::toggled, this, &MainWindow::SetWrap);
}

void MainWindow::CreateEditActions()
{
    // Go to Line takes Ctrl+G unless the platform finds the next match with it.
    const QKeySequence ctrlG(Qt::CTRL | Qt::Key_G);
    const QKeySequence goToLine = QKeySequence::keyBindings(QKeySequence::FindNext).contains(ctrlG)
                                      ? QKeySequence(Qt::CTRL | Qt::Key_L)
                                      : ctrlG;
    const QList<QKeySequence> keys[EditCommandCount] = {
        QKeySequence::keyBindings(QKeySequence::Undo),
        QKeySequence::keyBindings(QKeySequence::Redo),
        QKeySequence::keyBindings(QKeySequence::Cut),
        QKeySequence::keyBindings(QKeySequence::Copy),
        QKeySequence::keyBindings(QKeySequence::Paste),
        QKeySequence::keyBindings(QKeySequence::SelectAll),
        QKeySequence::keyBindings(QKeySequence::Find),
        KeysOr(QKeySequence::FindNext, QKeySequence(Qt::Key_F3)),
        KeysOr(QKeySequence::Replace, QKeySequence(Qt::CTRL | Qt::Key_H)),
        {goToLine},
    };
    const std::function<void()> does[EditCommandCount] = {
        [this] { editor_->undo(); },  [this] { editor_->redo(); },
        [this] { editor_->cut(); },   [this] { editor_->copy(); },
        [this] { editor_->paste(); }, [this] { editor_->selectAll(); },
        [this] { FindCommand(); },    [this] { FindNextCommand(); },
        [this] { ReplaceCommand(); }, [this] { GoToLineCommand(); },
    };
    for (std::size_t i = 0; i < EditCommandCount; ++i) {
        auto* action = new QAction(Latin(EditCommandItems[i].text), this);
        action->setObjectName(Latin(EditCommandItems[i].name));
        action->setShortcuts(keys[i]);
        connect(action, &QAction::triggered, this, does[i]);
        editActions_[i] = action;
    }

    connect(editor_, &QPlainTextEdit::undoAvailable, this, &MainWindow::UpdateEditCommands);
    connect(editor_, &QPlainTextEdit::redoAvailable, this, &MainWindow::UpdateEditCommands);
    connect(editor_, &QPlainTextEdit::copyAvailable, this, &MainWindow::UpdateEditCommands);
    connect(editor_, &QPlainTextEdit::textChanged, this, &MainWindow::UpdateEditCommands);
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, [this] {
            clipboardHasText_ = editor_->canPaste();
            UpdateEditCommands();
        });
    clipboardHasText_ = editor_->canPaste();
    UpdateEditCommands();
}

void MainWindow::UpdateEditCommands()
{
    EditorFacts facts;
    const QTextDocument* d = editor_->document();
    facts.undoAvailable = d->isUndoAvailable();
    facts.redoAvailable = d->isRedoAvailable();
    facts.selection = editor_->textCursor().hasSelection();
    facts.clipboardHasText = clipboardHasText_;
    facts.textEmpty = d->isEmpty();
    facts.searchText = find_ && !find_->What().isEmpty();
    const std::array<bool, EditCommandCount> on = EditCommandStates(facts);
    for (std::size_t i = 0; i < EditCommandCount; ++i)
        editActions_[i]->setEnabled(on[i]);
}

void MainWindow::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(Latin("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    file->addAction(newAction_);
    file->addAction(openAction_);
    file->addAction(saveAction_);
    file->addAction(saveAsAction_);
    recentMenu_ = file->addMenu(Latin(RecentFilesMenuText));
    recentMenu_->setObjectName(QStringLiteral("menuRecentFiles"));
    file->addAction(importMeshAction_);
    file->addAction(exportResultsAction_);
    file->addSeparator();
    file->addAction(printAction_);
    file->addAction(plotModelAction_);
    file->addAction(exitAction_);

    QMenu* edit = menuBar()->addMenu(Latin(EditMenuText));
    edit->setObjectName(QStringLiteral("menuEdit"));
    for (std::size_t i = 0; i < EditCommandCount; ++i) {
        edit->addAction(editActions_[i]);
        if (EditCommandItems[i].separatorAfter)
            edit->addSeparator();
    }

    QMenu* view = menuBar()->addMenu(Latin(ViewMenuText));
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(wrapAction_);

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
    exportResultsAction_->setEnabled(states_.exportResults);
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
        RememberFile(path, false);
        return false;
    case ReadStatus::Failed:
        prompts_.Report(
            this, Latin(OpenDialogTitle),
            QStringLiteral("The model file\n%1\ncould not be read:\n%2").arg(path, error));
        return false;
    }
    modelPath_ = path;
    suggestedPath_.clear();
    format_ = content.format;
    editor_->SetModelText(content.text);
    SetTextChanged(false);
    ResetSolution(a_);
    a_.TypedScalars = {};
    SetStatusPart(1);
    Apply(CommandEvent::ModelFileLoaded);
    SetStatusPart(3);
    RememberFile(path, true);
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
    SetTextChanged(false);
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
    suggestedPath_.clear();
    ResetSolution(a_);
    a_.TypedScalars = {};
    editor_->SetModelText(QString());
    SetTextChanged(false);
    format_ = ModelFileFormat{};
    Apply(CommandEvent::NewModel);
    SetStatusPart(1);
    SetStatusPart(3);
}

void MainWindow::OpenModel()
{
    const QString path = prompts_.OpenFileName(this, Latin(OpenDialogTitle), modelFolder_);
    if (!path.isEmpty())
        OpenModelPath(path);
    FocusEditor();
}

bool MainWindow::MayReplaceText()
{
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
    return go;
}

void MainWindow::OpenModelPath(const QString& path)
{
    if (MayReplaceText())
        LoadModelFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath()), true);
}

void MainWindow::ImportMesh()
{
    if (!mesh::MeshImportAvailable()) {
        prompts_.Report(this, Latin(ImportMeshTitle), Latin(NoMeshImportText));
        return;
    }
    const QString path =
        prompts_.OpenFileName(this, Latin(ImportMeshTitle), modelFolder_, Latin(MeshFileFilter));
    if (!path.isEmpty() && MayReplaceText())
        ImportMeshPath(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    FocusEditor();
}

void MainWindow::ImportMeshPath(const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const mesh::MeshRead read = mesh::ReadMeshFile(ToCore(path));
    mesh::ImportResult imported;
    if (read.failure == mesh::ReadFailure::None)
        imported = mesh::ImportMesh(read.mesh);
    else
        imported.error = read.error;
    QApplication::restoreOverrideCursor();
    if (!imported.ok) {
        prompts_.Report(this, Latin(ImportMeshTitle), QString::fromStdString(imported.error));
        return;
    }
    // A new text that is not saved yet: nothing is solved, and Save As offers the mesh's
    // name with the model extension.
    modelPath_.clear();
    const QFileInfo mesh(path);
    suggestedPath_ = mesh.dir().filePath(mesh.completeBaseName() + QStringLiteral(".tav"));
    ResetSolution(a_);
    a_.TypedScalars = {};
    format_ = ModelFileFormat{};
    editor_->SetModelText(QString::fromStdString(EditorTextOfFile(imported.model.text)));
    SetTextChanged(true);
    Apply(CommandEvent::NewModel);
    SetStatusPart(1);
    SetStatusPart(3);
}

void MainWindow::ExportResults()
{
    const QFileInfo model(modelPath_);
    const QString initial = modelPath_.isEmpty()
                                ? QString()
                                : model.dir().filePath(model.completeBaseName() +
                                                       QStringLiteral(".") + Latin(VtuSuffix));
    const QString name = prompts_.SaveFileName(this, Latin(ExportResultsTitle), modelFolder_,
                                               initial, Latin(VtuFileFilter), Latin(VtuSuffix));
    if (name.isEmpty())
        return;
    const QFileInfo target(name);
    QString error;
    if (target.exists() && model.exists() &&
        target.canonicalFilePath() == model.canonicalFilePath()) {
        error = QStringLiteral("It is the model file.");
    } else if (a_.State.Stage != Solved) {
        error = QStringLiteral("There are no results.");
    } else {
        std::ostringstream vtu;
        WriteVtu(vtu, a_);
        QSaveFile file(name);
        const std::string bytes = vtu.str();
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size()) ||
            !file.commit())
            error = file.errorString();
    }
    if (!error.isEmpty())
        prompts_.Report(
            this, Latin(ExportResultsTitle),
            QStringLiteral("The results could not be written to\n%1\n%2").arg(name, error));
}

void MainWindow::OpenHandedOver(const QString& path)
{
    BringToFront();
    OpenWhenFree(path);
}

void MainWindow::OpenWhenFree(const QString& path)
{
    // A question or the scalars dialog is open: the file waits until it has gone, so that
    // no step of a run finds another model under it.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(200, this, [this, path] { OpenWhenFree(path); });
        return;
    }
    OpenModelPath(path);
    FocusEditor();
}

void MainWindow::SetTextChanged(bool changed)
{
    textChanged_ = changed;
    if (!changed)
        editor_->document()->setModified(false);
    setWindowModified(changed);
}

void MainWindow::RememberFile(const QString& path, bool present)
{
    const std::string file = ToCore(path);
    recentFiles_ =
        present ? WithRecentFile(recentFiles_, file) : WithoutRecentFile(recentFiles_, file);
    QStringList paths;
    for (const std::string& f : recentFiles_)
        paths << FromCore(f);
    plot::ProgramSettings()->setValue(QLatin1String(plot::RecentFilesKey), paths);
    ShowRecentFiles();
}

void MainWindow::ShowRecentFiles()
{
    recentMenu_->clear();
    for (std::size_t i = 0; i < recentFiles_.size(); ++i) {
        const QString path = FromCore(recentFiles_[i]);
        QAction* item = recentMenu_->addAction(FromCore(RecentFileItemText(i, recentFiles_[i])));
        item->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, path] {
            OpenModelPath(path);
            FocusEditor();
        });
    }
    recentMenu_->setEnabled(!recentFiles_.empty());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e)
{
    if (!DroppedModelFile(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e)
{
    const QString path = DroppedModelFile(e->mimeData());
    if (path.isEmpty())
        return;
    e->acceptProposedAction();
    OpenDropped(path);
}

void MainWindow::OpenDropped(const QString& path)
{
    // Opened once the drop is over, so that no question waits inside it.
    QTimer::singleShot(0, this, [this, path] {
        OpenModelPath(path);
        FocusEditor();
    });
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
    const QString name = prompts_.SaveFileName(this, Latin(SaveDialogTitle), modelFolder_,
                                               modelPath_.isEmpty() ? suggestedPath_ : modelPath_);
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
    RememberFile(modelPath_, true);
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
    if (find_)
        find_->close();
    plot::ProgramSettings()->setValue(QLatin1String(plot::MainGeometryKey), saveGeometry());
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
    plot::ProgramSettings()->setValue(QLatin1String(plot::SolverKey),
                                      Latin(SolverName(a_.SolverChoice)));
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
        [self = QPointer<MainWindow>(this)](int line) {
            if (self)
                self->FollowMessage(line);
        },
        this);
    summary_ = summary;
    const DialogUnits du(font());
    plot::PlaceOnScreen(summary,
                        QRect(client_->mapToGlobal(QPoint(du.X(10), du.Y(10))), summary->size()));
    if (summary->Start(DriverText())) {
        // The window takes the keyboard: Enter is Continue, never a new line in the editor.
        summary->show();
        summary->activateWindow();
    }
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

void MainWindow::ModelSolved()
{
    Apply(CommandEvent::ModelSolved);
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
    if (!textChanged_)
        SetTextChanged(true);
    MarkTextEdited(a_, line);
    Apply(CommandEvent::TextEdited);
}

void MainWindow::OnEditorFocus()
{
    focusHandled_ = true;
    SetStatusPart(3);
    Apply(CommandEvent::EditorFocusGained);
}

void MainWindow::FollowMessage(int line)
{
    editor_->SelectLine(line);
    FocusEditor();
}

void MainWindow::FocusEditor()
{
    if (destroying_)
        return;
    activateWindow();
    focusHandled_ = false;
    if (editor_->hasFocus()) {
        OnEditorFocus();
        return;
    }
    editor_->setFocus(Qt::OtherFocusReason);
    // A window that is not active receives the focus only when it is activated; the
    // editor's focus work is done now all the same.
    if (!focusHandled_)
        OnEditorFocus();
}

void MainWindow::SetWrap(bool wrap)
{
    editor_->SetWrap(wrap);
    if (wrapAction_->isChecked() != wrap)
        wrapAction_->setChecked(wrap);
    plot::ProgramSettings()->setValue(QLatin1String(plot::WrapLinesKey), wrap);
}

void MainWindow::FindCommand()
{
    ShowFind(false);
}

void MainWindow::ReplaceCommand()
{
    ShowFind(true);
}

void MainWindow::ShowFind(bool replacing)
{
    const bool first = !find_;
    if (first) {
        find_ = new FindDialog(this);
        connect(find_, &FindDialog::FindNextRequested, this, &MainWindow::FindNextCommand);
        connect(find_, &FindDialog::ReplaceRequested, this, [this] {
            if (!editor_->ReplaceNext(find_->What(), find_->With(), find_->MatchCase()))
                ReportNotFound();
        });
        connect(find_, &FindDialog::ReplaceAllRequested, this, [this] {
            if (editor_->ReplaceAll(find_->What(), find_->With(), find_->MatchCase()) == 0)
                ReportNotFound();
        });
        connect(find_, &FindDialog::WhatChanged, this, &MainWindow::UpdateEditCommands);
    }
    // A selection within one line is what to look for.
    const QString selected = editor_->textCursor().selectedText();
    find_->ShowFor(replacing, selected.contains(QChar::ParagraphSeparator) ? QString() : selected);
    // At first over the main window's top right corner; later where the user left it.
    if (first)
        plot::PlaceOnScreen(
            find_, QRect(frameGeometry().topRight() - QPoint(find_->width(), -40), find_->size()));
}

void MainWindow::FindNextCommand()
{
    if (!find_ || find_->What().isEmpty()) {
        FindCommand();
        return;
    }
    if (!editor_->FindNext(find_->What(), find_->MatchCase()))
        ReportNotFound();
}

void MainWindow::ReportNotFound()
{
    QWidget* parent = find_ && find_->isVisible() ? static_cast<QWidget*>(find_) : this;
    prompts_.Report(parent, Latin(FindTitle), FromCore(CannotFindText(ToCore(find_->What()))));
}

void MainWindow::GoToLineCommand()
{
    const std::optional<int> line = prompts_.AskLineNumber(
        this, Latin(GoToLineTitle), FromCore(GoToLineLabel(editor_->LineCount())),
        editor_->CaretLine(), editor_->LineCount());
    if (line)
        editor_->GoToLine(*line);
    FocusEditor();
}

void MainWindow::SetStatusPart(int part)
{
    if (part == 1) {
        const ModelPathParts parts = SplitModelPath(ToCore(modelPath_));
        modelFileName_ = QString::fromStdString(parts.fileName);
        setWindowTitle(FromCore(MainWindowTitle(parts.fileName)));
        status_[0]->setText(
            QString::fromStdString(FileStatusText(ToCore(modelPath_), ToCore(modelFolder_))));
    } else if (part == 3) {
        status_[2]->setText(FromCore(LineStatusText(editor_->CaretLine(), editor_->LineCount())));
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

#pragma once
// The main window: the model editor under a strip of seven buttons, the menus, the
// status bar, and the commands that open, save, edit, run, show, plot and print a model.

#include "app/FindDialog.h"
#include "app/HelpWindow.h"
#include "app/ModelFile.h"
#include "app/ResultsWindow.h"
#include "app/SummaryDialog.h"
#include "driver/Commands.h"
#include "driver/Driver.h"

#include <QActionGroup>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;

namespace tavu::app {

class ModelEditor;
class UserPrompts;

class MainWindow : public QMainWindow, public DriverEvents, public ProgressSink
{
    Q_OBJECT
public:
    MainWindow(Analysis& a, UserPrompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The model named on the command line; a path that names no file is ignored.
    void OpenStartupFile(const QString& path);

    const QString& ModelPath() const { return modelPath_; }
    const QString& ModelFolder() const { return modelFolder_; }
    const QString& ModelFileName() const { return modelFileName_; }
    bool TextChanged() const { return textChanged_; }
    ModelEditor* Editor() const { return editor_; }
    SummaryDialog* Summary() const { return summary_; }
    ResultsWindow* Results() const { return results_; }
    HelpWindow* Help() const { return help_; }
    FindDialog* Find() const { return find_; }
    const std::vector<std::string>& RecentFiles() const { return recentFiles_; }
    // The editor text as the driver reads it: CR LF between lines, UTF-8.
    std::string DriverText() const;

public slots:
    void NewModel();
    void OpenModel();
    void SaveModel();
    bool SaveModelAs();
    // File, Import Mesh: a Gmsh geometry or mesh made into a new, unsaved model text.
    void ImportMesh();
    // File, Export Results: the solution as a VTK file for ParaView.
    void ExportResults();
    void PrintModel();
    void PlotModel();
    void ExitProgram();
    void ResetSolutionCommand();
    // Solve, Factorization: the way the next decomposition takes, kept in the settings.
    void ChooseSolver(QAction* item);
    void RunSolution();
    void ShowSolution();
    void PlotDeformation();
    void ShowHelp();
    void ShowSyntax();
    void ShowAbout();
    void Quit();
    // A second start asked for this window: restore it and bring it to the front.
    void BringToFront();
    // A second start was given this model file: to the front, and open it as File, Open
    // would (asking about unsaved text first).
    void OpenHandedOver(const QString& path);
    // Keyboard focus into the editor, with everything the editor does when it gains it.
    // The caret and the scroll position stay as they are.
    void FocusEditor();
    // A message of the summary window followed: its model line selected in the editor.
    void FollowMessage(int line);
    void FindCommand();
    void FindNextCommand();
    void ReplaceCommand();
    void GoToLineCommand();
    void SetWrap(bool wrap);

signals:
    // The window has closed for good: the program ends.
    void ProgramEnds();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // DriverEvents
    void ModelReaderRan() override;
    void ModelSolved() override;
    // ProgressSink
    void ShowProgressText(const std::string& text) override;
    void ShowReadProgress(int line) override;

    void CreateActions();
    void CreateEditActions();
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    void FindModelFolder();
    void Apply(CommandEvent event);
    bool PromptSaveChanges();
    bool SaveModelFile();
    bool LoadModelFile(const QString& path, bool reportMissing);
    // File, Open after a file was chosen: asks about unsaved text, then loads.
    void OpenModelPath(const QString& path);
    // Asks about unsaved text as Open does; false when the text must stay.
    bool MayReplaceText();
    void ImportMeshPath(const QString& path);
    void OpenWhenFree(const QString& path);
    void OpenDropped(const QString& path);
    void SetTextChanged(bool changed);
    void RememberFile(const QString& path, bool present);
    void ShowRecentFiles();
    void UpdateEditCommands();
    void ShowFind(bool replacing);
    void ReportNotFound();
    void SetStatusPart(int part);
    void OnTextEdited(int line);
    void OnEditorFocus();
    void LayOut();
    void CloseResultsAndPlot();

    Analysis& a_;
    UserPrompts& prompts_;

    QString modelPath_;
    QString modelFolder_;
    QString modelFileName_;
    QString suggestedPath_; // Save As's first offer for an untitled text (an imported mesh)
    bool textChanged_ = false;
    bool clipboardHasText_ = false;
    ModelFileFormat format_;
    CommandStates states_;

    QWidget* client_ = nullptr;
    QFrame* strip_ = nullptr;
    ModelEditor* editor_ = nullptr;
    std::array<QPushButton*, 7> buttons_{};
    std::array<QLabel*, 3> status_{};

    QAction* newAction_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* plotModelAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction* importMeshAction_ = nullptr;
    QAction* exportResultsAction_ = nullptr;
    QAction* resetAction_ = nullptr;
    QActionGroup* solverGroup_ = nullptr;
    QAction* runAction_ = nullptr;
    QAction* showAction_ = nullptr;
    QAction* plotAction_ = nullptr;
    QAction* helpAction_ = nullptr;
    QAction* syntaxAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    std::array<QAction*, EditCommandCount> editActions_{};
    QAction* wrapAction_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    std::vector<std::string> recentFiles_;

    QPointer<SummaryDialog> summary_;
    QPointer<ResultsWindow> results_;
    QPointer<HelpWindow> help_;
    QPointer<FindDialog> find_;
    bool exitConfirmed_ = false;
    bool focusHandled_ = false;
    bool destroying_ = false;
    QElapsedTimer progressPainted_;
};

} // namespace tavu::app

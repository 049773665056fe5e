#pragma once
// What the window tests share: a main window whose questions and file dialogs are
// answered from queues, model files as bytes, and waiting for a modal dialog.

#include "app/MainWindow.h"
#include "app/ModelEditor.h"
#include "app/Prompts.h"
#include "app/SummaryDialog.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <functional>

namespace tavu::app::test {

// Answers from queues and logs every call ("Ask <title>", "Report <title>: <text>",
// "Open", "Save"). A call with nothing queued gets No / Cancel / "" and is counted.
class ScriptedPrompts : public UserPrompts
{
public:
    QList<Answer> answers;
    QStringList names; // for the Open and Save As dialogs, in the order asked
    QList<int> lines;  // for Go to Line
    QStringList log;
    QString lastFolder, lastInitialPath;
    int unexpected = 0;

    Answer Ask(QWidget*, const QString& title, const QString&, bool withCancel) override
    {
        log << QStringLiteral("Ask ") + title;
        unexpected += answers.isEmpty();
        return answers.isEmpty() ? (withCancel ? Answer::Cancel : Answer::No) : answers.takeFirst();
    }
    void Report(QWidget*, const QString& title, const QString& text) override
    {
        log << QStringLiteral("Report %1: %2").arg(title, text);
    }
    QString OpenFileName(QWidget*, const QString&, const QString& folder, const QString&) override
    {
        return Name(QStringLiteral("Open"), folder, QString());
    }
    QString SaveFileName(QWidget*, const QString&, const QString& folder,
                         const QString& initialPath, const QString&, const QString&) override
    {
        return Name(QStringLiteral("Save"), folder, initialPath);
    }
    std::optional<int> AskLineNumber(QWidget*, const QString& title, const QString& label, int,
                                     int) override
    {
        log << QStringLiteral("Ask %1: %2").arg(title, label);
        unexpected += lines.isEmpty();
        return lines.isEmpty() ? std::nullopt : std::optional<int>(lines.takeFirst());
    }

private:
    QString Name(const QString& dialog, const QString& folder, const QString& initialPath)
    {
        log << dialog;
        lastFolder = folder;
        lastInitialPath = initialPath;
        unexpected += names.isEmpty();
        return names.isEmpty() ? QString() : names.takeFirst();
    }
};

// A main window over its own analysis, driven through its buttons and actions.
struct Session
{
    Analysis a;
    ScriptedPrompts prompts;
    MainWindow w{a, prompts};

    // Clicks the button of that name, or triggers the action.
    void Trigger(const QString& control)
    {
        if (auto* button = w.findChild<QPushButton*>(control))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            w.findChild<QAction*>(control)->trigger();
    }
    void Open(const QString& path)
    {
        prompts.names << path;
        Trigger(QStringLiteral("actionOpen"));
    }
    void TypeAtLine(int line, const QString& text)
    {
        ModelEditor* e = w.Editor();
        e->setTextCursor(QTextCursor(e->document()->findBlockByNumber(line - 1)));
        QTest::keyClicks(e, text);
    }
    // The summary window's Continue (Finish after the last step), when it is open.
    void Continue()
    {
        if (SummaryDialog* s = w.Summary())
            QTest::mouseClick(s->findChild<QPushButton*>(QStringLiteral("continueButton")),
                              Qt::LeftButton);
    }
    // Open, Run and every step; true when the model was solved.
    bool Solve(const QString& path)
    {
        Open(path);
        Trigger(QStringLiteral("toolRun"));
        Continue();
        Continue();
        const bool solved = a.State.Stage == Solved;
        Continue();
        return solved;
    }
    // Which of Reset, Run, Show, Plot can be chosen, as menu items and as buttons:
    // "RUSP USP" when all of them.
    QString Enabled() const
    {
        const QStringList names = QStringLiteral("actionResetSolution actionRunSolution "
                                                 "actionShowSolution actionPlotDeformation - "
                                                 "toolRun toolSoln toolPlot")
                                      .split(QLatin1Char(' '));
        QString s;
        for (int i = 0; i < names.size(); ++i) {
            const QObject* o = w.findChild<QObject*>(names[i]);
            s += QLatin1Char(!o ? ' ' : o->property("enabled").toBool() ? "RUSP USP"[i] : '-');
        }
        return s;
    }
};

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}
// A model in tests/gui/data.
inline QString DataModel(const QString& name)
{
    return QStringLiteral(TAVU_GUI_TEST_DATA "/") + name;
}

// Runs action on the modal dialog of type T once it shows (inside the dialog's own loop).
// A dialog the action leaves open (a failed check) is rejected, so no test hangs.
template <class T> void WhenModalShows(std::function<void(T*)> action)
{
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, action] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog && ++*ticks < 1000)
            return;
        timer->stop();
        timer->deleteLater();
        QPointer<QDialog> open(dialog);
        if (dialog)
            action(dialog);
        if (open && open->isVisible())
            open->reject();
    });
    timer->start(5);
}

} // namespace tavu::app::test

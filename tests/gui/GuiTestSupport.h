#pragma once
// What the window tests share: prompts answered from a queue, model files in a scratch
// folder, and waiting for a modal dialog without blocking.

#include "app/Prompts.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

namespace tavu::app::test {

// Answers questions and file dialogs from queues and records what was asked. A question
// or dialog with nothing queued is answered No / Cancel / "" and counted as unexpected.
class ScriptedPrompts : public UserPrompts
{
public:
    struct Question
    {
        QString title;
        QString text;
        bool withCancel = false;
    };

    QList<Answer> answers;
    QStringList openNames;
    QStringList saveNames;

    QList<Question> asked;
    QStringList reports;
    QStringList saveInitialPaths;
    QStringList dialogFolders;
    int unexpected = 0;

    Answer Ask(QWidget*, const QString& title, const QString& text, bool withCancel) override;
    void Report(QWidget*, const QString& title, const QString& text) override;
    QString OpenFileName(QWidget*, const QString& title, const QString& folder) override;
    QString SaveFileName(QWidget*, const QString& title, const QString& folder,
                         const QString& initialPath) override;
};

// Reads and writes whole files as bytes.
QByteArray ReadBytes(const QString& path);
bool WriteBytes(const QString& path, const QByteArray& bytes);

// The path of a model in tests/gui/data.
QString DataModel(const QString& name);

// Runs action on the modal dialog of type T as soon as it is shown (it runs inside the
// dialog's own loop, so the call that opened it returns afterwards). A dialog the action
// leaves open (a failed check) is rejected, so the test never hangs.
template <class T> void WhenModalShows(std::function<void(T*)> action)
{
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            QPointer<QDialog> open(dialog);
            action(dialog);
            if (open && open->isVisible())
                open->reject();
        } else if (++*ticks > 1000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
}

} // namespace tavu::app::test

#pragma once
// Message boxes and file dialogs go through this seam, so tests can answer them without
// a modal loop.

#include "driver/Commands.h"

#include <QString>
#include <optional>

class QWidget;

namespace tavu::app {

class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    // A question with a question icon: Yes and No, and Cancel when withCancel. The title
    // and text are the program's own (CR LF between lines).
    virtual Answer Ask(QWidget* parent, const QString& title, const QString& text,
                       bool withCancel) = 0;

    // A notice with an OK button (failed reads and writes).
    virtual void Report(QWidget* parent, const QString& title, const QString& text) = 0;

    // The open-file dialog; empty when cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder) = 0;

    // The save-file dialog, asking before an existing file is replaced; empty when
    // cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& initialPath) = 0;

    // A line number from 1 to last, starting at current; nothing when cancelled.
    virtual std::optional<int> AskLineNumber(QWidget* parent, const QString& title,
                                             const QString& label, int current, int last) = 0;
};

// The real message boxes and file dialogs.
UserPrompts& SystemPrompts();

// The file types of both file dialogs.
QString ModelFileFilter();

} // namespace tavu::app

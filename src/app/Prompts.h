#pragma once
// Message boxes and file dialogs go through this seam, so tests can answer them without
// a modal loop.

#include "driver/Commands.h"

#include <QString>
#include <optional>

class QWidget;

namespace tavu::app {

// The file types of the model file dialogs.
QString ModelFileFilter();

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

    // The open-file dialog for files of the filter's types; empty when cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter = ModelFileFilter()) = 0;

    // The save-file dialog, asking before an existing file is replaced; a name typed
    // without an extension gets the suffix. Empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& initialPath,
                                 const QString& filter = ModelFileFilter(),
                                 const QString& suffix = QStringLiteral("tav")) = 0;

    // A line number from 1 to last, starting at current; nothing when cancelled.
    virtual std::optional<int> AskLineNumber(QWidget* parent, const QString& title,
                                             const QString& label, int current, int last) = 0;
};

// The real message boxes and file dialogs.
UserPrompts& SystemPrompts();

} // namespace tavu::app

#include "app/Prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tavu::app {

namespace {

QString Shown(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

class SystemPromptsImpl : public UserPrompts
{
public:
    Answer Ask(QWidget* parent, const QString& title, const QString& text, bool withCancel) override
    {
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
        if (withCancel)
            buttons |= QMessageBox::Cancel;
        QMessageBox box(QMessageBox::Question, title, Shown(text), buttons, parent);
        box.setDefaultButton(QMessageBox::Yes);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            // Esc or the close button: Cancel where there is one, otherwise No.
            return withCancel ? Answer::Cancel : Answer::No;
        }
    }

    void Report(QWidget* parent, const QString& title, const QString& text) override
    {
        QMessageBox::warning(parent, title, Shown(text));
    }

    QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    }

    QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& initialPath, const QString& filter,
                         const QString& suffix) override
    {
        QFileDialog dialog(parent, title, folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(suffix);
        if (!initialPath.isEmpty())
            dialog.selectFile(initialPath);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }

    std::optional<int> AskLineNumber(QWidget* parent, const QString& title, const QString& label,
                                     int current, int last) override
    {
        bool ok = false;
        const int line = QInputDialog::getInt(parent, title, label, current, 1, last, 1, &ok);
        return ok ? std::optional<int>(line) : std::nullopt;
    }
};

} // namespace

UserPrompts& SystemPrompts()
{
    static SystemPromptsImpl prompts;
    return prompts;
}

QString ModelFileFilter()
{
    return QStringLiteral("FE Files (*.tav);;All Files (*.*)");
}

} // namespace tavu::app

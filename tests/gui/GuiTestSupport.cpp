#include "GuiTestSupport.h"

#include <QFile>

namespace tavu::app::test {

Answer ScriptedPrompts::Ask(QWidget*, const QString& title, const QString& text, bool withCancel)
{
    asked.push_back({title, text, withCancel});
    if (answers.isEmpty()) {
        ++unexpected;
        return withCancel ? Answer::Cancel : Answer::No;
    }
    return answers.takeFirst();
}

void ScriptedPrompts::Report(QWidget*, const QString& title, const QString& text)
{
    reports.push_back(title + QLatin1Char('|') + text);
}

QString ScriptedPrompts::OpenFileName(QWidget*, const QString&, const QString& folder)
{
    dialogFolders.push_back(folder);
    if (openNames.isEmpty()) {
        ++unexpected;
        return QString();
    }
    return openNames.takeFirst();
}

QString ScriptedPrompts::SaveFileName(QWidget*, const QString&, const QString& folder,
                                      const QString& initialPath)
{
    dialogFolders.push_back(folder);
    saveInitialPaths.push_back(initialPath);
    if (saveNames.isEmpty()) {
        ++unexpected;
        return QString();
    }
    return saveNames.takeFirst();
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QString DataModel(const QString& name)
{
    return QStringLiteral(TAVU_GUI_TEST_DATA) + QLatin1Char('/') + name;
}

} // namespace tavu::app::test

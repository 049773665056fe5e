#include "GuiTestSupport.h"

#include "app/ModelEditor.h"
#include "app/SummaryDialog.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

namespace tavu::app::test {

void Session::Trigger(const QString& control)
{
    if (auto* button = w.findChild<QPushButton*>(control))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        w.findChild<QAction*>(control)->trigger();
}

void Session::Open(const QString& path)
{
    prompts.names << path;
    Trigger(QStringLiteral("actionOpen"));
}

void Session::TypeAtLine(int line, const QString& text)
{
    ModelEditor* e = w.Editor();
    e->setTextCursor(QTextCursor(e->document()->findBlockByNumber(line - 1)));
    QTest::keyClicks(e, text);
}

void Session::Continue()
{
    if (SummaryDialog* s = w.Summary())
        QTest::mouseClick(s->findChild<QPushButton*>(QStringLiteral("continueButton")),
                          Qt::LeftButton);
}

bool Session::Solve(const QString& path)
{
    Open(path);
    Trigger(QStringLiteral("toolRun"));
    Continue();
    Continue();
    const bool solved = a.State.Stage == Solved;
    Continue();
    return solved;
}

QString Session::Enabled() const
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

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QString DataModel(const QString& name)
{
    return QStringLiteral(TAVU_GUI_TEST_DATA "/") + name;
}

} // namespace tavu::app::test

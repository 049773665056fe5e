// tavu [MODEL]: the desktop program.

#include "app/AppIcon.h"
#include "app/AppText.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/SingleInstance.h"
#include "common/Analysis.h"
#include "driver/Commands.h"
#include "solver/BlasThreads.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    tavu::StartBlasWithOneThread(argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TAVU"));
    QApplication::setWindowIcon(tavu::app::AppIcon());

    std::vector<std::string> arguments;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i)
        arguments.push_back(tavu::app::ToCore(args[i]));
    const QString modelPath = QString::fromStdString(tavu::CommandLinePath(arguments));

    // A program already running opens the file (named from this start's folder) itself.
    tavu::app::SingleInstance instance;
    if (!instance.BecomeFirst(modelPath.isEmpty() ? QString()
                                                  : QFileInfo(modelPath).absoluteFilePath()))
        return 0;

    tavu::Analysis analysis;
    tavu::app::MainWindow window(analysis, tavu::app::SystemPrompts());
    QObject::connect(&instance, &tavu::app::SingleInstance::RaiseRequested, &window,
                     &tavu::app::MainWindow::BringToFront);
    QObject::connect(&instance, &tavu::app::SingleInstance::OpenRequested, &window,
                     &tavu::app::MainWindow::OpenHandedOver, Qt::QueuedConnection);
    QObject::connect(&window, &tavu::app::MainWindow::ProgramEnds, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    window.OpenStartupFile(modelPath);
    return QApplication::exec();
}

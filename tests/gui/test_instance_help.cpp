// One program per session, the help pages and the About box.

#include "GuiTestSupport.h"
#include "app/AboutBox.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "driver/Driver.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

using namespace tavu;
using namespace tavu::app;
using namespace tavu::app::test;

// Receives the links the About box opens.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

// Records what the driver shows, pressing nothing.
class RecordingSummary : public SummaryWindow
{
public:
    std::string title, text;
    bool continueDisabled = false;
    void SetTitle(const std::string& t) override { title = t; }
    void ShowText(const std::string& t) override { text = t; }
    void DisableContinue() override { continueDisabled = true; }
    void FocusContinue() override {}
    void FocusCancel() override {}
    void TurnContinueIntoFinish() override {}
    bool AskLoadScalars(Analysis&) override { return true; }
    void Close() override {}
    void FocusEditor() override {}
};

QString Resource(const QString& name)
{
    QFile f(QStringLiteral(":/help/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

class InstanceHelpTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> runtime_;

private slots:
    void initTestCase()
    {
        runtime_ = std::make_unique<QTemporaryDir>();
        QVERIFY(runtime_->isValid());
        QFile::setPermissions(runtime_->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime_->path().toUtf8());
        qputenv("XDG_DATA_HOME", runtime_->filePath(QStringLiteral("data")).toUtf8());
        // Make the help pages known to the resource system.
        HelpWindow warmUp;
    }

    void secondStartRaisesTheFirst()
    {
        SingleInstance first(QStringLiteral("TAVU in-process test"));
        QVERIFY(first.BecomeFirst());
        QVERIFY(first.ServerName().startsWith(runtime_->path()));

        Analysis a;
        ScriptedPrompts prompts;
        MainWindow w(a, prompts);
        connect(&first, &SingleInstance::RaiseRequested, &w, &MainWindow::BringToFront);
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());

        QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
        SingleInstance second(QStringLiteral("TAVU in-process test"));
        QVERIFY(!second.BecomeFirst());
        QTRY_COMPARE(raised.count(), 1);
        QTRY_VERIFY(!w.isMinimized());
        QVERIFY(w.isVisible());

        // The key is cut to 31 characters, as the name always was.
        SingleInstance longKey(QStringLiteral("TAVU by dovEstrel and then some more words"));
        QCOMPARE(QFileInfo(longKey.ServerName()).fileName(),
                 QStringLiteral("TAVU by dovEstrel and then some"));
    }

    void leftoverSocketDoesNotBlockAStart()
    {
        // A socket file left by a program that ended abnormally.
        SingleInstance probe(QStringLiteral("TAVU leftover"));
        QFile stale(probe.ServerName());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        SingleInstance start(QStringLiteral("TAVU leftover"));
        QVERIFY(start.BecomeFirst());
        SingleInstance later(QStringLiteral("TAVU leftover"));
        QVERIFY(!later.BecomeFirst());
    }

    void secondProgramEndsAtOnce()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_->path());
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(TAVU_APP_PATH), {});
        QVERIFY(first.waitForStarted());
        const QString socket = runtime_->filePath(QStringLiteral("TAVU by dovEstrel"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 20000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(TAVU_APP_PATH),
                     {QStringLiteral(TAVU_EXAMPLES_DIR "/portal-frame.tav")});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        first.waitForFinished(5000);
    }

    void helpAndSyntaxOpenOurPages()
    {
        Analysis a;
        ScriptedPrompts prompts;
        MainWindow w(a, prompts);
        w.show();
        w.findChild<QAction*>("actionHelp")->trigger();
        HelpWindow* help = w.Help();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->Browser()->source(), HelpWindow::GuidePage());
        QVERIFY(help->Browser()->toPlainText().contains(QStringLiteral("Using TAVU")));
        w.findChild<QAction*>("actionSyntax")->trigger();
        QCOMPARE(w.Help(), help); // one help window
        QCOMPARE(help->Browser()->source(), HelpWindow::SyntaxPage());
        QVERIFY(help->Browser()->toPlainText().contains(QStringLiteral("ENDMODEL")));
        QTest::mouseClick(help->findChild<QPushButton*>("helpBackButton"), Qt::LeftButton);
        QCOMPARE(help->Browser()->source(), HelpWindow::GuidePage());
    }

    void syntaxPageDescribesEveryRecord()
    {
        const QString syntax = Resource(QStringLiteral("syntax.html"));
        QVERIFY(!syntax.isEmpty());
        const QStringList records{"GRID",  "BEAM",  "QUAD",     "PROP",    "MATL", "DOFS", "RACT",
                                  "SPRG",  "NSEQ",  "ENDMODEL", "SUBCASE", "LOAD", "DISP", "GRAV",
                                  "BLOAD", "BINIT", "BTEMP",    "QLOAD",   "QTEMP"};
        for (const QString& r : records) {
            QVERIFY2(syntax.contains(QStringLiteral("id=\"%1\"").arg(r)), qPrintable(r));
            // Each record shows at least one example line that begins with it.
            const QRegularExpression example(QStringLiteral("<pre[^>]*>(?:[^<]*\\n)?%1\\b").arg(r));
            QVERIFY2(syntax.contains(example), qPrintable(r));
        }
        // Every diagnostic message has its entry.
        for (int code = 1; code <= 28; ++code)
            QVERIFY2(code == 20 || syntax.contains(QStringLiteral("id=\"diag%1\"").arg(code)),
                     qPrintable(QString::number(code)));
    }

    void linksBetweenPagesResolve()
    {
        const QStringList pages{"guide.html", "syntax.html"};
        QRegularExpression link(QStringLiteral("href=\"([a-z]+\\.html)?#([A-Za-z0-9_-]+)\""));
        int checked = 0;
        for (const QString& page : pages) {
            const QString html = Resource(page);
            auto it = link.globalMatch(html);
            while (it.hasNext()) {
                const auto m = it.next();
                const QString target = m.captured(1).isEmpty() ? page : m.captured(1);
                const QString anchor = m.captured(2);
                QVERIFY2(Resource(target).contains(QStringLiteral("id=\"%1\"").arg(anchor)),
                         qPrintable(page + QStringLiteral(" -> ") + target + "#" + anchor));
                ++checked;
            }
        }
        QVERIFY(checked > 20);
    }

    void guideExampleModelSolves()
    {
        // The example the guide walks through is a working model.
        const QString guide = Resource(QStringLiteral("guide.html"));
        QRegularExpression pre(QStringLiteral("<pre class=\"example-model\">(.*?)</pre>"),
                               QRegularExpression::DotMatchesEverythingOption);
        const auto m = pre.match(guide);
        QVERIFY(m.hasMatch());
        QString text = m.captured(1);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        text = text.trimmed();
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));

        Analysis a;
        RecordingSummary s;
        StartStep(a, s, text.toStdString());
        QVERIFY2(!s.continueDisabled, s.text.c_str());
        QCOMPARE(a.State.Stage, int(ModelRead));
        ContinueStep(a, s);
        QVERIFY2(!s.continueDisabled, s.text.c_str());
        ContinueStep(a, s);
        QCOMPARE(a.State.Stage, int(Solved));
    }

    void aboutBoxTextsAndLinks()
    {
        Analysis a;
        ScriptedPrompts prompts;
        MainWindow w(a, prompts);
        w.show();
        w.findChild<QAction*>("actionAbout")->trigger();
        auto* box = w.findChild<AboutBox*>();
        QVERIFY(box);
        QTRY_VERIFY(box->isVisible());
        QVERIFY(box->isModal());
        QCOMPARE(box->windowTitle(), QStringLiteral("About TAVU"));
        auto* headline = box->findChild<QLabel*>("about9901");
        QCOMPARE(headline->text(), QStringLiteral("2D Finite Elements"));
        QCOMPARE(headline->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(headline->font().pointSize(), 14);
        auto* platform = box->findChild<QLabel*>("about9902");
        QCOMPARE(platform->text(), QStringLiteral(" for Windows"));
        QVERIFY(platform->font().italic());
        // Headline and platform stand side by side without overlapping.
        QVERIFY(platform->geometry().left() > headline->geometry().right());
        QVERIFY(box->findChild<QLabel*>("aboutCredit")->text().startsWith(QStringLiteral("by ")));

        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
        auto* mail = box->findChild<QLabel*>("about9904");
        auto* web = box->findChild<QLabel*>("about9905");
        QCOMPARE(mail->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(mail->font().underline());
        QCOMPARE(mail->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QTest::mouseClick(mail, Qt::LeftButton);
        QTest::mouseClick(web, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.urls.size(), 2);
        QCOMPARE(catcher.urls[0].toString(), QStringLiteral("mailto:") + mail->text() + "?");
        QCOMPARE(catcher.urls[1].toString(), web->text());
        box->close();
    }
};

QTEST_MAIN(InstanceHelpTest)
#include "test_instance_help.moc"

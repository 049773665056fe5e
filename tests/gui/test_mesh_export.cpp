// File, Import Mesh (with Gmsh in the build) puts the model of a mesh in the editor as a
// new, unsaved text; File, Export Results writes the solution for ParaView, and only while
// there is one.

#include "GuiTestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tavu;
using namespace tavu::app;
using namespace tavu::app::test;
using namespace Qt::Literals::StringLiterals;

class MeshExportTest : public QObject
{
    Q_OBJECT

private slots:
#if defined(TAVU_WITH_GMSH)
    void importPutsAnUnsavedModelInTheEditor()
    {
        QTemporaryDir dir;
        Session s;
        const QString frame = dir.filePath(u"frame.tav"_s);
        WriteBytes(frame, ReadBytes(DataModel(u"frame.tav"_s)));
        s.Open(frame);
        s.TypeAtLine(1, u"$ edited "_s);

        // The edited model is asked about first; Cancel keeps it.
        s.prompts.names << QStringLiteral(TAVU_MESH_GEOMETRY);
        s.prompts.answers << Answer::Cancel;
        s.Trigger(u"actionImportMesh"_s);
        QVERIFY(s.w.Editor()->ModelText().startsWith(u"$ edited "_s));
        QCOMPARE(s.w.ModelPath(), frame);

        s.prompts.names << QStringLiteral(TAVU_MESH_GEOMETRY);
        s.prompts.answers << Answer::No;
        s.Trigger(u"actionImportMesh"_s);
        QCOMPARE(s.prompts.log, (QStringList{u"Open"_s, u"Open"_s, u"Ask Save File"_s, u"Open"_s,
                                             u"Ask Save File"_s}));
        const QString text = s.w.Editor()->ModelText();
        QVERIFY2(text.startsWith(u"$ Imported wall-with-cantilever.geo: "_s), qPrintable(text));
        QVERIFY(text.contains(u"\nENDMODEL\n"_s) && text.contains(u"\nNSEQ "_s));
        // Nothing solved, nothing saved: the file is untouched, the text is new and changed,
        // and a run waits for a name.
        QVERIFY(ReadBytes(frame) == ReadBytes(DataModel(u"frame.tav"_s)));
        QVERIFY(s.w.ModelPath().isEmpty() && s.w.TextChanged());
        QCOMPARE(s.Enabled(), u"---- ---"_s);

        // Save As offers the mesh's name beside it.
        s.prompts.names << dir.filePath(u"wall.tav"_s);
        s.Trigger(u"actionSaveAs"_s);
        QVERIFY(s.prompts.lastInitialPath.endsWith(u"/data/wall-with-cantilever.tav"_s));
        QCOMPARE(
            QString::fromUtf8(ReadBytes(dir.filePath(u"wall.tav"_s))).replace(u"\r\n"_s, u"\n"_s),
            text + u"\n"_s);
        QCOMPARE(s.Enabled(), u"-U-- U--"_s);
        QCOMPARE(s.prompts.unexpected, 0);
    }

    void failedImportKeepsTheText()
    {
        Session s;
        s.Open(DataModel(u"frame.tav"_s));
        const QString before = s.w.Editor()->ModelText();
        s.prompts.names << u"/no/such/mesh.msh"_s;
        s.Trigger(u"actionImportMesh"_s);
        QCOMPARE(s.w.Editor()->ModelText(), before);
        QVERIFY2(
            s.prompts.log.last().startsWith(u"Report Import Mesh: cannot read /no/such/mesh.msh"_s),
            qPrintable(s.prompts.log.join(u'\n')));
    }
#else
    void importSaysItIsNotAvailable()
    {
        Session s;
        s.Trigger(u"actionImportMesh"_s);
        QCOMPARE(s.prompts.log,
                 QStringList{u"Report Import Mesh: "_s + QString::fromLatin1(NoMeshImportText)});
    }
#endif

    void exportFollowsTheResults()
    {
        QTemporaryDir dir;
        Session s;
        const auto exportEnabled = [&s] {
            return s.w.findChild<QAction*>(u"actionExportResults"_s)->isEnabled();
        };
        QVERIFY(!exportEnabled());
        const QString plate = dir.filePath(u"plate.tav"_s);
        WriteBytes(plate, ReadBytes(DataModel(u"plate.tav"_s)));
        QVERIFY(s.Solve(plate));
        QVERIFY(exportEnabled());

        const QString vtu = dir.filePath(u"results.vtu"_s);
        s.prompts.names << vtu;
        s.Trigger(u"actionExportResults"_s);
        QCOMPARE(s.prompts.lastInitialPath, dir.filePath(u"plate.vtu"_s));
        const QByteArray bytes = ReadBytes(vtu);
        QVERIFY2(bytes.startsWith("<?xml") && bytes.contains("<Piece NumberOfPoints=\""),
                 bytes.left(200).constData());

        // Not onto the model itself; and an edit takes the results away.
        s.prompts.names << plate;
        const QByteArray model = ReadBytes(plate);
        s.Trigger(u"actionExportResults"_s);
        QVERIFY(s.prompts.log.last().startsWith(u"Report Export Results: "_s));
        QVERIFY(ReadBytes(plate) == model);
        s.TypeAtLine(1, u"$"_s);
        QVERIFY(!exportEnabled());
    }
};

QTEST_MAIN(MeshExportTest)
#include "test_mesh_export.moc"

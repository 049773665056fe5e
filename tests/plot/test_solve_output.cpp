// tavu-solve --pdf and --plot as a user runs them: the PDF's text read back with
// pdftotext, the pictures checked for what they show.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Pages = std::vector<std::vector<std::string>>;

class SolveOutput : public ::testing::Test
{
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    static QString Data(const char* name)
    {
        return QStringLiteral(TAVU_TEST_DATA_DIR "/") + QString::fromLatin1(name);
    }
    // Runs tavu-solve; its exit status, its error output in errors.
    int Solve(const QStringList& arguments)
    {
        QProcess p;
        p.start(QStringLiteral(TAVU_SOLVE_PATH), arguments);
        p.waitForFinished();
        errors = p.readAllStandardError().toStdString();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    // The PDF's text page by page, one string per line with runs of blanks made one.
    static Pages PdfPages(const QString& pdf)
    {
        QProcess p;
        p.start(QStringLiteral(PDFTOTEXT_PATH),
                {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        Pages pages;
        for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).split(u'\f')) {
            std::vector<std::string> lines;
            for (const QString& line : page.split(u'\n'))
                if (!line.simplified().isEmpty())
                    lines.push_back(line.simplified().toStdString());
            if (!lines.empty())
                pages.push_back(lines);
        }
        return pages;
    }

    QTemporaryDir dir;
    std::string errors;
};

TEST_F(SolveOutput, ThePdfHoldsThePrintedListingsOfTheCantilever)
{
    if (std::string(PDFTOTEXT_PATH).empty() || std::string(PDFTOTEXT_PATH).ends_with("NOTFOUND"))
        GTEST_SKIP() << "pdftotext (Debian poppler-utils) is not installed";
    ASSERT_EQ(Solve({"--pdf", Path("out.pdf"), Data("cantilever.tav")}), 0) << errors;
    // Tip load P = 1 on a cantilever of length 10 with E I = 1000: v = -P L^3 / 3EI,
    // rotation -P L^2 / 2EI, support reaction P and moment P L; a page per listing.
    const Pages expected = {
        {"Deflections", "cantilever.tav - Page 1", "Grid x Defl y Defl \xC3\xB8 Defl",
         "1 0.000E+00 0.000E+00 0.000E+00", "2 0.000E+00 -3.333E-01 -5.000E-02"},
        {"Reactions", "cantilever.tav - Page 1", "Grid x Ract y Ract \xC3\xB8 Ract",
         "1 0.000E+00 1.000E+00 1.000E+01"},
        {"Beam Forces", "cantilever.tav - Page 1", "Beam Grid Axial Shear Moment",
         "1 1 0.000E+00 -1.000E+00 -1.000E+01", "1 2 0.000E+00 -1.000E+00 0.000E+00"},
    };
    EXPECT_EQ(PdfPages(Path("out.pdf")), expected);
}

TEST_F(SolveOutput, PlotFilesShowTheModel)
{
    // The last --plot wins.
    ASSERT_EQ(
        Solve({"--plot", Path("beam.png"), "--plot", Path("beam.svg"), Data("cantilever.tav")}), 0)
        << errors;
    EXPECT_FALSE(QFile::exists(Path("beam.png")));
    QFile svg(Path("beam.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("<path id=\"model\"") && text.contains("<path id=\"deformed\""));
    // The extension is matched without regard to case; the picture is 800 x 800.
    ASSERT_EQ(Solve({"--plot", Path("beam.PNG"), Data("cantilever.tav")}), 0) << errors;
    EXPECT_EQ(QImage(Path("beam.PNG")).size(), QSize(800, 800));
}

TEST_F(SolveOutput, EveryViewDrawsItsOwnPicture)
{
    // A frame beside a plate: the deformed shape, the three diagrams and five stresses.
    const char* const views[] = {"deformed", "axial", "shear",     "moment",  "sx",
                                 "sy",       "sxy",   "principal", "vonmises"};
    std::vector<QImage> images;
    for (const char* view : views) {
        const QString png = Path(view) + QStringLiteral(".png");
        ASSERT_EQ(Solve({"--plot", png, "--view", view, Data("frame_and_plate.tav")}), 0)
            << view << errors;
        images.emplace_back(png);
        ASSERT_EQ(images.back().size(), QSize(800, 800)) << view;
        // Coloured pixels: the diagrams' areas and the contours' bands, far fewer in the
        // deformed shape's lines.
        int coloured = 0;
        for (int y = 0; y < 800; y += 2)
            for (int x = 0; x < 800; x += 2) {
                const QColor c = images.back().pixelColor(x, y);
                coloured += c.saturation() > 60 && c.value() > 60;
            }
        EXPECT_GT(coloured, std::string(view) == "deformed" ? 100 : 2000) << view;
    }
    for (std::size_t i = 0; i < images.size(); ++i)
        for (std::size_t j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i], images[j]) << views[i] << " and " << views[j];

    // The SVG of the moment: the areas as polygons, the legend's sign convention, the
    // largest moment of the girder with its place.
    ASSERT_EQ(Solve({"--plot", Path("m.svg"), "--view", "moment", Data("frame_and_plate.tav")}), 0);
    QFile svg(Path("m.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("<polygon") && text.contains("drawn on the stretched side") &&
                text.contains("(x="))
        << text.left(2000).toStdString();
}

TEST_F(SolveOutput, FailuresAreReportedWithoutAFile)
{
    const struct
    {
        QStringList arguments;
        int status;
        const char *message, *file;
    } cases[] = {
        {{"--plot", Path("bad.png"), "--pdf", Path("bad.pdf"), Data("no_grids.tav")},
         1,
         "not written",
         "bad.pdf"},
        {{"--pdf", Path("no/such/dir/x.pdf"), Data("cantilever.tav")},
         73,
         "cannot write",
         "no/such/dir/x.pdf"},
        {{"--plot", Path("a.svg"), "--pdf", Path("a.svg"), Data("cantilever.tav")},
         64,
         "--pdf writes a .pdf file",
         "a.svg"},
        {{"--plot", Path("v.png"), "--view", "model", Data("cantilever.tav")},
         64,
         "--view is deformed, axial",
         "v.png"},
        {{"--view", "moment", Data("cantilever.tav")}, 64, "--view chooses the picture", "x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Solve(c.arguments), c.status) << c.message;
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
        EXPECT_FALSE(QFile::exists(Path(c.file))) << c.file;
    }
}

} // namespace

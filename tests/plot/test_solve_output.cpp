// tavu-solve --pdf and --plot as a user runs them: the PDF's text read back with
// pdftotext, the images checked for what they show.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

int RunCommand(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Data(const char* name)
{
    return std::string(TAVU_TEST_DATA_DIR) + "/" + name;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs of blanks become one blank; every page is one string.
std::vector<std::vector<std::string>> PdfPages(const std::string& pdf, const std::string& txt)
{
    if (RunCommand(std::string(PDFTOTEXT_PATH) + " -layout " + Quoted(pdf) + " " + Quoted(txt)) !=
        0)
        return {};
    std::vector<std::vector<std::string>> pages(1);
    std::string line;
    std::istringstream in(ReadFile(txt));
    while (std::getline(in, line)) {
        while (!line.empty() && line.front() == '\f') {
            pages.emplace_back();
            line.erase(0, 1);
        }
        std::string collapsed;
        for (char c : line)
            if (c != ' ' || (!collapsed.empty() && collapsed.back() != ' '))
                collapsed += c;
        while (!collapsed.empty() && collapsed.back() == ' ')
            collapsed.pop_back();
        if (!collapsed.empty())
            pages.back().push_back(collapsed);
    }
    while (!pages.empty() && pages.back().empty())
        pages.pop_back();
    return pages;
}

class SolveOutput : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string Path(const char* name) const
    {
        return dir.filePath(QString::fromLatin1(name)).toStdString();
    }
    int Solve(const std::string& options, const std::string& model)
    {
        return RunCommand(std::string(TAVU_SOLVE_PATH) + " " + options + " " + Quoted(model) +
                          " > " + Quoted(Path("stdout.txt")) + " 2> " + Quoted(Path("stderr.txt")));
    }

    QTemporaryDir dir;
    const std::string tool = PDFTOTEXT_PATH;
    const bool pdftotext = !tool.empty() && tool.find("NOTFOUND") == std::string::npos;
};

TEST_F(SolveOutput, ThePdfHoldsThePrintedListingsOfTheCantilever)
{
    if (!pdftotext)
        GTEST_SKIP() << "pdftotext (Debian poppler-utils) is not installed";
    const std::string model = Data("cantilever.tav");
    ASSERT_EQ(Solve("--pdf " + Quoted(Path("out.pdf")), model), 0) << ReadFile(Path("stderr.txt"));
    const auto pages = PdfPages(Path("out.pdf"), Path("out.txt"));
    // Tip load P = 1 on a cantilever of length 10 with E I = 1000: v = -P L^3 / 3EI,
    // rotation -P L^2 / 2EI, support reaction P and moment P L.
    const std::vector<std::vector<std::string>> expected = {
        {"Deflections", "cantilever.tav - Page 1", "Grid x Defl y Defl \xC3\xB8 Defl",
         "1 0.000E+00 0.000E+00 0.000E+00", "2 0.000E+00 -3.333E-01 -5.000E-02"},
        {"Reactions", "cantilever.tav - Page 1", "Grid x Ract y Ract \xC3\xB8 Ract",
         "1 0.000E+00 1.000E+00 1.000E+01"},
        {"Beam Forces", "cantilever.tav - Page 1", "Beam Grid Axial Shear Moment",
         "1 1 0.000E+00 -1.000E+00 -1.000E+01", "1 2 0.000E+00 -1.000E+00 0.000E+00"},
    };
    EXPECT_EQ(pages, expected);
}

TEST_F(SolveOutput, ALongListingContinuesOnPagesWithTheirOwnHeaders)
{
    if (!pdftotext)
        GTEST_SKIP() << "pdftotext (Debian poppler-utils) is not installed";
    // A chain of 150 beams along x, fixed at grid 1.
    const int n = 151;
    std::string text;
    for (int g = 1; g <= n; ++g)
        text += "GRID " + std::to_string(g) + " " + std::to_string(g - 1) + " 0\r\n";
    for (int b = 1; b < n; ++b)
        text += "BEAM " + std::to_string(b) + " " + std::to_string(b) + " " +
                std::to_string(b + 1) + " 1 1\r\n";
    text += "PROP 1 1 1\r\nMATL 1 1000\r\nDOFS DEF 1 1 1\r\nRACT 1 1 1 1\r\nENDMODEL\r\n";
    text += "LOAD " + std::to_string(n) + " 0 -1\r\n";
    std::ofstream(Path("chain.tav"), std::ios::binary) << text;
    ASSERT_EQ(Solve("--pdf " + Quoted(Path("chain.pdf")), Path("chain.tav")), 0)
        << ReadFile(Path("stderr.txt"));
    const auto pages = PdfPages(Path("chain.pdf"), Path("chain.txt"));
    ASSERT_GE(pages.size(), 5u);

    // Deflections: one line per grid; Beam Forces: two lines per beam, never split.
    std::vector<int> gridLines(n + 1, 0);
    int beamLines = 0, deflectionPages = 0;
    std::string title;
    int pageOfTitle = 0;
    for (const auto& page : pages) {
        ASSERT_GE(page.size(), 4u);
        if (page[0] != title) {
            title = page[0];
            pageOfTitle = 0;
        }
        ++pageOfTitle;
        EXPECT_EQ(page[1], "chain.tav - Page " + std::to_string(pageOfTitle)) << title;
        if (title == "Deflections") {
            ++deflectionPages;
            EXPECT_EQ(page[2], "Grid x Defl y Defl \xC3\xB8 Defl");
            for (std::size_t i = 3; i < page.size(); ++i) {
                const int id = std::atoi(page[i].c_str());
                ASSERT_TRUE(id >= 1 && id <= n) << page[i];
                ++gridLines[static_cast<std::size_t>(id)];
            }
        } else if (title == "Beam Forces") {
            EXPECT_EQ(page[2], "Beam Grid Axial Shear Moment");
            EXPECT_EQ((page.size() - 3) % 2, 0u) << "a beam's two lines were split";
            beamLines += static_cast<int>(page.size() - 3);
        }
    }
    EXPECT_GE(deflectionPages, 2);
    for (int g = 1; g <= n; ++g)
        EXPECT_EQ(gridLines[static_cast<std::size_t>(g)], 1) << "grid " << g;
    EXPECT_EQ(beamLines, 2 * (n - 1));
}

TEST_F(SolveOutput, PlotFilesShowTheModel)
{
    const std::string model = Data("cantilever.tav");
    ASSERT_EQ(
        Solve("--plot " + Quoted(Path("beam.png")) + " --plot " + Quoted(Path("beam.svg")), model),
        0);
    // The last --plot wins.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("beam.png"))));
    const std::string svg = ReadFile(Path("beam.svg"));
    EXPECT_NE(svg.find("<path id=\"model\""), std::string::npos);
    EXPECT_NE(svg.find("<path id=\"deformed\""), std::string::npos);
    // The extension is matched without regard to case; the picture is 800 x 800.
    ASSERT_EQ(Solve("--plot " + Quoted(Path("beam.PNG")), model), 0);
    EXPECT_EQ(QImage(QString::fromStdString(Path("beam.PNG"))).size(), QSize(800, 800));
}

TEST_F(SolveOutput, FailuresAreReportedWithoutAFile)
{
    struct Case
    {
        const char* what;
        std::string options;
        std::string model;
        int status;
        const char* message;
        const char* file;
    } cases[] = {
        {"model error", "--plot " + Quoted(Path("bad.png")) + " --pdf " + Quoted(Path("bad.pdf")),
         Data("no_grids.tav"), 1, "not written", "bad.pdf"},
        {"unwritable folder", "--pdf " + Quoted(Path("no/such/dir/x.pdf")), Data("cantilever.tav"),
         73, "cannot write", "no/such/dir/x.pdf"},
        {"same file twice", "--plot " + Quoted(Path("a.svg")) + " --pdf " + Quoted(Path("a.svg")),
         Data("cantilever.tav"), 64, "different files", "a.svg"},
        {"no extension", "--plot " + Quoted(Path("plot")), Data("cantilever.tav"), 64,
         ".png or .svg", "plot"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Solve(c.options, c.model), c.status);
        EXPECT_NE(ReadFile(Path("stderr.txt")).find(c.message), std::string::npos)
            << ReadFile(Path("stderr.txt"));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(Path(c.file))));
    }
}

} // namespace

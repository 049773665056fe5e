// The example models: each one solves, its listings match the golden text byte for byte,
// and the text report agrees with the JSON report.
//
// After a change that is understood to alter a listing, regenerate the golden files with
// TAVU_UPDATE_GOLDEN=1 and review the difference before committing it.

#include "BatchRun.h"
#include "results/FormatNumbers.h"
#include "results/Listings.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace tavu {
namespace {

using nlohmann::json;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Example
{
    const char* model;  // file in examples/
    const char* golden; // file in tests/data/golden/
    std::vector<double> scalars;
};

const Example Examples[] = {
    {"portal-frame.tav", "portal-frame.txt", {}},
    {"truss.tav", "truss.txt", {}},
    {"continuous-beam.tav", "continuous-beam.txt", {}},
    {"plate-with-hole.tav", "plate-with-hole.txt", {}},
    {"thick-cylinder.tav", "thick-cylinder.txt", {}},
    {"inclined-roller.tav", "inclined-roller.txt", {}},
    {"thermal.tav", "thermal.txt", {}},
    {"subcases.tav", "subcases.txt", {}},
    {"subcases.tav", "subcases-factored.txt", {1.35, 1.5, 0}},
};

// The load log and every listing as Copy gives it, each after a title line.
std::string ListingText(const BatchRun& run)
{
    const Analysis& a = run.analysis;
    std::string s = run.loadLog + "\r\n";
    const char* titles[] = {"", "Deflections", "Reactions", "Beam Forces", "Quad Stresses"};
    for (int kind = DeflectionsKind; kind <= QuadStressesKind; ++kind)
        s += std::string("\r\n") + titles[kind] + "\r\n" + ResultText(a, kind, false);
    if (a.Model.nQuads > 0)
        s += "\r\nQuad Stresses, averaged\r\n" + ResultText(a, QuadStressesKind, true);
    return s;
}

TEST(Examples, EveryExampleSolvesAndMatchesItsGoldenListing)
{
    const bool update = std::getenv("TAVU_UPDATE_GOLDEN") != nullptr;
    for (const auto& ex : Examples) {
        SCOPED_TRACE(ex.golden);
        const std::string model = ReadFile(std::string(TAVU_EXAMPLES_DIR) + "/" + ex.model);
        ASSERT_FALSE(model.empty());
        for (std::size_t at = model.find('\n'); at != std::string::npos;
             at = model.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && model[at - 1] == '\r') << "model files use CR LF";

        BatchRun run;
        RunBatch(run, model, ex.scalars);
        ASSERT_EQ(ExitStatusOf(run), ExitSolved) << run.readText << run.decompositionLog;
        EXPECT_EQ(run.analysis.Results.ErrorMeasure, 0) << run.loadLog;

        const std::string text = ListingText(run);
        const std::string goldenPath = std::string(TAVU_TEST_DATA_DIR) + "/golden/" + ex.golden;
        if (update) {
            std::ofstream(goldenPath, std::ios::binary) << text;
            continue;
        }
        const std::string golden = ReadFile(goldenPath);
        ASSERT_FALSE(golden.empty()) << "missing " << goldenPath;
        if (text != golden) {
            // Name the first line that differs.
            std::size_t at = 0;
            while (at < text.size() && at < golden.size() && text[at] == golden[at])
                ++at;
            const std::size_t start =
                golden.rfind('\n', at) == std::string::npos ? 0 : golden.rfind('\n', at) + 1;
            ADD_FAILURE() << "listing differs from " << goldenPath << " at line starting\n"
                          << golden.substr(start, golden.find('\n', at) - start) << "\ngot\n"
                          << text.substr(start, text.find('\n', at) - start);
        }
    }
}

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find(sep, start);
        out.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return out;
        start = end + 1;
    }
}

// The lines of one listing in the text report: those after its title, up to the next
// empty line.
std::vector<std::string> Section(const std::string& report, const std::string& title)
{
    std::vector<std::string> lines;
    const std::size_t at = report.find("\n" + title + "\n");
    if (at == std::string::npos)
        return lines;
    const auto all = Split(report.substr(at + title.size() + 2), '\n');
    for (std::size_t i = 1; i < all.size() && !all[i].empty(); ++i) // 0 is the heading
        lines.push_back(all[i]);
    return lines;
}

std::string F(const json& v)
{
    return FormatValue(v.is_number() ? v.get<double>() : std::nan(""));
}

TEST(Examples, TheTextReportsGridListingsAgreeWithTheJsonReport)
{
    for (const auto& ex : Examples) {
        SCOPED_TRACE(ex.model);
        BatchRun run;
        RunBatch(run, ReadFile(std::string(TAVU_EXAMPLES_DIR) + "/" + ex.model), ex.scalars);
        ASSERT_EQ(ExitStatusOf(run), ExitSolved);
        const std::string text = BatchText(run);
        const json j = json::parse(BatchJson(run));
        EXPECT_NE(text.find(j["load_log"].get<std::string>()), std::string::npos);
        // The rotation column's slashed o reaches standard output as UTF-8.
        EXPECT_NE(text.find("\n\t\tGrid\tu Defl\tv Defl\t\xC3\xB8 Defl\t\t\n"), std::string::npos);

        // Deflections and Reactions: two leaders, the grid id, three values.
        const auto defl = Section(text, "Deflections");
        const auto ract = Section(text, "Reactions");
        std::size_t di = 0, ri = 0;
        for (const auto& g : j["grids"]) {
            ASSERT_LT(di, defl.size());
            const auto f = Split(defl[di++], '\t');
            ASSERT_EQ(f.size(), 6u);
            EXPECT_EQ(f[0], "");
            EXPECT_EQ(f[1], "");
            EXPECT_EQ(f[2], FormatId(g["id"].get<int>()));
            for (int d = 0; d < 3; ++d)
                EXPECT_EQ(f[3 + d], F(g["disp"][d]));
            if (g["reaction"].is_null())
                continue;
            ASSERT_LT(ri, ract.size());
            const auto r = Split(ract[ri++], '\t');
            ASSERT_EQ(r.size(), 6u);
            EXPECT_EQ(r[1], "");
            EXPECT_EQ(r[2], FormatId(g["id"].get<int>()));
            for (int d = 0; d < 3; ++d)
                EXPECT_EQ(r[3 + d], F(g["reaction"][d]));
        }
        EXPECT_EQ(di, defl.size());
        EXPECT_EQ(ri, ract.size());
    }
}

} // namespace
} // namespace tavu

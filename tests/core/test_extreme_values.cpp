// Numbers at the limits of the arithmetic in every numeric field of a small model that has
// every kind of element, option and load: each run either fails with a message (exit 1, 2
// or 3) or reports only finite numbers.

#include "BatchRun.h"
#include "TestSupport.h"
#include "common/Numbers.h"
#include "results/Listings.h"
#include "results/PlotGeometry.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace tavu {
namespace {

using nlohmann::json;

// A frame with an offset beam and an axial-load beam, a quad and a triangle, a turned
// grid, a spring, a prescribed displacement and every kind of load; it solves as it is.
// Records are separated by ";".
const std::vector<std::string> Model = [] {
    std::vector<std::string> lines(1);
    for (const char c : "GRID 1 0 0;GRID 2 0 4;GRID 3 6 4;GRID 4 6 0;GRID 5 10 0;GRID 6 10 4 30;"
                        "GRID 7 14 4;BEAM 1 1 2 1 1;BEAM 2 2 3 1 1 0.2 -0.1;BEAM 3 4 3 2 1;"
                        "QUAD 1 4 5 6 3 3 2;QUAD 2 5 7 6 0 3 2;PROP 1 2 3 0.5;PROP 2 2 3 0 10;"
                        "PROP 3 0.1;MATL 1 1000 0.3 1e-5 2;MATL 2 500 0.25 1e-5 1;DOFS DEF 1 1 1;"
                        "DOFS 5 THRU 7 1 1 0;RACT 1 1 1 1;RACT 4 1 1 0;RACT 5 -1 1 0;"
                        "SPRG 7 100 100 0;ENDMODEL;SUBCASE 1;LOAD 2 5 -3 1;DISP 5 0.001;"
                        "GRAV 0 -1;BLOAD 1 2 1;BINIT 2 0.001 0.002 0.001;BTEMP 2 10 5;"
                        "QLOAD 1 2 3 4;QTEMP 2 20 10 5")
        if (c == ';')
            lines.emplace_back();
        else if (c != '\0')
            lines.back() += c;
    return lines;
}();

const char* const Extremes[] = {"0",     "-0",     "1e-310", "-1e-310",
                                "1e308", "-1e308", "1e309",  "-1e309"};

// The path of the first null in a JSON report, where a number that is not finite stands
// (a grid without a reaction line has a null reaction).
std::string FirstNull(const json& v, const std::string& path)
{
    if (v.is_null())
        return path;
    if (!v.is_structured())
        return "";
    for (const auto& [key, item] : v.items())
        if (!(key == "reaction" && item.is_null()))
            if (std::string at = FirstNull(item, path + "." + key); !at.empty())
                return at;
    return "";
}

// The first quad whose averaged values, or their principal and von Mises stresses, which
// the averaged listing derives from the stresses in the report, are not finite (the
// corner values stand in the report).
std::string QuadAverageNotFinite(const json& quads)
{
    for (const json& q : quads) {
        std::array<double, 3> avg{};
        for (std::size_t c = 0; c < 3; ++c) {
            for (std::size_t p = 0; p < 4; ++p)
                avg[c] += q["stress"][p][c].get<double>();
            avg[c] /= 4;
        }
        const StressState d = DeriveStresses(avg[0], avg[1], avg[2]);
        if (!AllFinite({d.sx, d.sy, d.sxy, d.principal, d.vonMises}))
            return "quad " + q["id"].dump();
    }
    return "";
}

TEST(ExtremeValues, EveryRunFailsWithAMessageOrReportsOnlyFiniteNumbers)
{
    // Every number of every line replaced by each extreme value, then the load case scalar.
    struct Run
    {
        std::vector<std::string> lines;
        double scalar;
        std::string what;
    };
    std::vector<Run> runs;
    for (std::size_t line = 0; line < Model.size(); ++line) {
        std::istringstream in(Model[line]);
        std::vector<std::string> tokens{std::istream_iterator<std::string>(in), {}};
        for (std::size_t t = 1; t < tokens.size(); ++t) {
            if (std::isalpha(static_cast<unsigned char>(tokens[t][0])))
                continue;
            for (const char* x : Extremes) {
                std::vector<std::string> changed = tokens;
                changed[t] = x;
                std::string record;
                for (const std::string& token : changed)
                    record += (record.empty() ? "" : " ") + token;
                std::vector<std::string> lines = Model;
                lines[line] = record;
                runs.push_back({lines, 1.0, record});
            }
        }
    }
    for (const char* s : {"1e308", "-1e308", "1e-310", "4.9e-324"})
        runs.push_back({Model, std::strtod(s, nullptr), std::string("scalar ") + s});

    int outcomes[4] = {};
    for (const Run& run : runs) {
        SCOPED_TRACE(run.what);
        BatchRun batch;
        RunBatch(batch, testing::CrlfText(run.lines), {run.scalar});
        const int exit = ExitStatusOf(batch);
        const json report = json::parse(BatchJson(batch));
        ASSERT_TRUE(exit >= 0 && exit <= 3) << exit;
        ++outcomes[exit];
        if (exit == 0) {
            EXPECT_EQ(FirstNull(report, "$"), "");
            EXPECT_EQ(QuadAverageNotFinite(report["quads"]), "");
            const std::string text = BatchText(batch);
            for (const char* bad : {"NaN", "Inf"}) // as the listings and NumberText show them
                EXPECT_EQ(text.find(bad), std::string::npos) << bad << " in\n" << text;
            // Every view of the plot draws only points that are numbers.
            const PlotModel plot = BuildPlotModel(batch.analysis);
            for (int view = 0; view < PlotViewCount; ++view) {
                PlotOptions options;
                options.view = static_cast<PlotView>(view);
                const PlotPicture p = DrawPlot(plot, options);
                std::size_t bad = 0;
                for (const PlotFill& f : p.Fills)
                    for (const PlotPoint& q : f.polygon)
                        bad += !std::isfinite(q.x) || !std::isfinite(q.y);
                for (const PlotStroke& st : p.Strokes)
                    for (const PlotPoint& q : st.points)
                        bad += !std::isfinite(q.x) || !std::isfinite(q.y);
                EXPECT_EQ(bad, 0u) << ViewWord(options.view);
            }
        } else {
            // The message: a diagnostic, or the decomposition's stop with its grid and dof.
            EXPECT_TRUE(!report["diagnostics"].empty() ||
                        batch.decompositionLog.find("STOP - stiffness matrix not positive "
                                                    "definite") != std::string::npos)
                << report.dump(1);
            EXPECT_TRUE(report["grids"].empty() && report["error_measure"].is_null());
        }
    }
    // The sweep reaches every step's end: solved, and failed at each of the three steps.
    for (int exit = 0; exit <= 3; ++exit)
        EXPECT_GT(outcomes[exit], 10) << "exit " << exit;
}

} // namespace
} // namespace tavu

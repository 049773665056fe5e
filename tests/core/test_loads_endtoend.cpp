// Whole runs from model text to the JSON report, checked against closed forms.

#include "BatchRun.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace tavu {
namespace {

using nlohmann::json;

std::string Lines(const std::vector<std::string>& lines)
{
    std::string s;
    for (const auto& l : lines)
        s += l + "\r\n";
    return s;
}

std::string ReadExample(const char* name)
{
    std::ifstream in(std::string(TAVU_EXAMPLES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

json Solve(const std::vector<std::string>& model, const std::vector<double>& scalars = {})
{
    BatchRun run;
    RunBatch(run, Lines(model), scalars);
    EXPECT_EQ(ExitStatusOf(run), ExitSolved) << run.readText << "\n"
                                             << run.decompositionLog << "\n"
                                             << run.loadLog;
    return json::parse(BatchJson(run));
}

const json& GridOf(const json& j, int id)
{
    for (const auto& g : j["grids"])
        if (g["id"] == id)
            return g;
    static const json none;
    ADD_FAILURE() << "no grid " << id;
    return none;
}

const json& ElementOf(const json& j, const char* kind, int id)
{
    for (const auto& e : j[kind])
        if (e["id"] == id)
            return e;
    static const json none;
    ADD_FAILURE() << "no " << kind << " " << id;
    return none;
}

double Num(const json& v)
{
    return v.is_number() ? v.get<double>() : std::nan("");
}

// Relative closeness with a floor for values that should be 0.
void Near(const json& v, double expected, double rel = 1e-9, double floor = 1e-9)
{
    EXPECT_NEAR(Num(v), expected, rel * std::fabs(expected) + floor);
}

TEST(EndToEnd, CantileverUnderATipLoad)
{
    // L = 10, E = 1000, I = 2, P = -3 at the tip.
    const double L = 10, EI = 2000, P = -3;
    const json j =
        Solve({"GRID 1 0 0", "GRID 2 10 0", "BEAM 7 1 2 1 1", "PROP 1 1 2", "MATL 1 1000",
               "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL", "LOAD 2 0 -3"});
    const json& tip = GridOf(j, 2);
    Near(tip["disp"][0], 0);
    Near(tip["disp"][1], P * L * L * L / (3 * EI));
    Near(tip["disp"][2], P * L * L / (2 * EI));
    EXPECT_TRUE(tip["reaction"].is_null());
    const json& root = GridOf(j, 1);
    Near(root["reaction"][0], 0);
    Near(root["reaction"][1], -P);
    Near(root["reaction"][2], -P * L);
    const json& beam = ElementOf(j, "beams", 7);
    Near(beam["end_a"][0], 0);
    Near(beam["end_a"][1], P);
    Near(beam["end_a"][2], P * L);
    Near(beam["end_b"][1], P);
    Near(beam["end_b"][2], 0);
    EXPECT_EQ(j["error_measure"], 0.0);
    EXPECT_NE(j["load_log"].get<std::string>().find("Solution error measure =  0"),
              std::string::npos);
}

TEST(EndToEnd, BeamsUnderDistributedLoadsAndPins)
{
    const double L = 4, EI = 2000 * 3, q = -5;
    {
        SCOPED_TRACE("fixed-fixed beam under a uniform load: end moments qL^2/12");
        const json j = Solve({"GRID 1 0 0", "GRID 2 2 0", "GRID 3 4 0", "BEAM 1 1 2 1 1",
                              "BEAM 2 2 3 1 1", "PROP 1 1 3", "MATL 1 2000", "DOFS DEF 1 1 1",
                              "RACT 1 1 1 1", "RACT 3 1 1 1", "ENDMODEL", "BLOAD 1 THRU 2 -5"});
        Near(GridOf(j, 2)["disp"][1], q * L * L * L * L / (384 * EI));
        Near(GridOf(j, 1)["reaction"][1], -q * L / 2);
        Near(GridOf(j, 1)["reaction"][2], -q * L * L / 12);
        Near(GridOf(j, 3)["reaction"][2], q * L * L / 12);
        Near(ElementOf(j, "beams", 1)["end_a"][2], q * L * L / 12);
        Near(ElementOf(j, "beams", 2)["end_b"][2], q * L * L / 12);
        Near(ElementOf(j, "beams", 1)["end_b"][2], -q * L * L / 24); // midspan moment
        EXPECT_EQ(j["error_measure"], 0.0);
    }
    {
        SCOPED_TRACE("a PIN beam from a clamped grid: moment 0 at its end B");
        const json j = Solve({"GRID 1 0 0", "GRID 2 4 0", "BEAM 1 1 2 1 1 PIN", "PROP 1 1 3",
                              "MATL 1 2000", "DOFS DEF 1 1 1", "DOFS 2 1 1 0", "RACT 1 1 1 1",
                              "ENDMODEL", "LOAD 2 0 -3", "BLOAD 1 -5"});
        // Tip load and uniform load on a cantilever whose tip has no rotation dof.
        const double P = -3;
        Near(GridOf(j, 2)["disp"][1], P * L * L * L / (3 * EI) + 3 * q * L * L * L * L / (24 * EI));
        const json& beam = ElementOf(j, "beams", 1);
        EXPECT_EQ(Num(beam["end_b"][2]), 0);
        Near(GridOf(j, 1)["reaction"][1], -(P + q * L));
        Near(GridOf(j, 1)["reaction"][2], -(P * L + q * L * L / 2));
        EXPECT_EQ(j["error_measure"], 0.0);
    }
}

TEST(EndToEnd, GravityGivesTheTotalWeight)
{
    {
        SCOPED_TRACE("a portal frame: density times length times g");
        const json j =
            Solve({"GRID 1 0 0", "GRID 2 0 3", "GRID 3 5 3", "GRID 4 5 0", "BEAM 1 1 2 1 1",
                   "BEAM 2 2 3 1 2", "BEAM 3 4 3 1 1", "PROP 1 0.01 1E-4", "MATL 1 2E8 0.3 0 2",
                   "MATL 2 2E8 0.3 0 3", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 4 1 1 1",
                   "ENDMODEL", "GRAV 0 -9.81"});
        const double weight = 9.81 * (2 * 3 + 3 * 5 + 2 * 3);
        Near(Num(GridOf(j, 1)["reaction"][1]) + Num(GridOf(j, 4)["reaction"][1]), weight);
        Near(Num(GridOf(j, 1)["reaction"][0]) + Num(GridOf(j, 4)["reaction"][0]), 0, 0, 1e-9);
        EXPECT_EQ(j["error_measure"], 0.0);
    }
    {
        SCOPED_TRACE("a quad plate: g times thickness times area");
        const json j =
            Solve({"GRID 1 0 0", "GRID 2 2 0", "GRID 3 4 0", "GRID 4 0 1.5", "GRID 5 2.3 1.4",
                   "GRID 6 4 1.5", "QUAD 1 1 2 5 4 1 1", "QUAD 2 2 3 6 5 1 1", "PROP 1 0.2",
                   "MATL 1 1000 0.25", "DOFS DEF 1 1 0", "RACT 1 1 1", "RACT 2 1 1", "RACT 3 1 1",
                   "ENDMODEL", "GRAV 1 -10"});
        // Shoelace area of the two quads (the shared grid 5 stands at (2.3, 1.4)).
        const auto shoelace = [](std::vector<std::pair<double, double>> p) {
            double s = 0;
            for (std::size_t i = 0; i < p.size(); ++i) {
                const auto& [x1, y1] = p[i];
                const auto& [x2, y2] = p[(i + 1) % p.size()];
                s += x1 * y2 - x2 * y1;
            }
            return s / 2;
        };
        const double A = shoelace({{0, 0}, {2, 0}, {2.3, 1.4}, {0, 1.5}}) +
                         shoelace({{2, 0}, {4, 0}, {4, 1.5}, {2.3, 1.4}});
        double fx = 0, fy = 0;
        for (int g = 1; g <= 3; ++g) {
            fx += Num(GridOf(j, g)["reaction"][0]);
            fy += Num(GridOf(j, g)["reaction"][1]);
        }
        Near(json(fy), 10 * 0.2 * A);
        Near(json(fx), -1 * 0.2 * A);
        EXPECT_EQ(j["error_measure"], 0.0);
    }
}

TEST(EndToEnd, InitialDeformationTemperatureAndSettlement)
{
    // A beam of length 5 clamped at both ends: E = 2E5, A = 0.02, I = 3E-4, alpha = 1E-5.
    const std::vector<std::string> model = {
        "GRID 1 0 0",       "GRID 2 5 0",          "BEAM 1 1 2 1 1",
        "PROP 1 0.02 3E-4", "MATL 1 2E5 0.3 1E-5", "DOFS DEF 1 1 1",
        "RACT 1 1 1 1",     "RACT 2 1 1 1",        "ENDMODEL"};
    const double E = 2e5, A = 0.02, I = 3e-4, alpha = 1e-5, L = 5;
    struct Case
    {
        const char* name;
        std::string load;
        double N, M; // axial force and end moment (both ends)
    } cases[] = {
        {"initial elongation 0.001", "BINIT 1 0.001", -E * A * 0.001 / L, 0},
        {"uniform temperature 30", "BTEMP 1 30", -E * A * alpha * 30, 0},
        {"temperature gradient 200", "BTEMP 1 0 200", 0, E * I * alpha * 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto lines = model;
        lines.push_back(c.load);
        const json j = Solve(lines);
        const json& beam = ElementOf(j, "beams", 1);
        Near(beam["end_a"][0], c.N, 1e-9, 1e-9);
        Near(beam["end_b"][0], c.N, 1e-9, 1e-9);
        Near(beam["end_a"][2], c.M, 1e-9, 1e-12);
        Near(beam["end_b"][2], c.M, 1e-9, 1e-12);
        Near(beam["end_a"][1], 0, 0, 1e-9);
        Near(GridOf(j, 1)["reaction"][0], -c.N, 1e-9, 1e-9);
        Near(GridOf(j, 2)["reaction"][0], c.N, 1e-9, 1e-9);
    }
    {
        SCOPED_TRACE("settlement of a clamped end by DISP");
        const double d = -0.002, EI = E * I;
        const json j = Solve({"GRID 1 0 0", "GRID 2 5 0", "BEAM 1 1 2 1 1", "PROP 1 0.02 3E-4",
                              "MATL 1 2E5", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 2 1 -1 1",
                              "ENDMODEL", "DISP 2 0 -0.002"});
        Near(GridOf(j, 2)["disp"][1], d, 1e-12);
        Near(ElementOf(j, "beams", 1)["end_b"][1], 12 * EI * d / (L * L * L));
        Near(ElementOf(j, "beams", 1)["end_a"][2], 6 * EI * d / (L * L));
        Near(ElementOf(j, "beams", 1)["end_b"][2], -6 * EI * d / (L * L));
        // The support that pulls grid 2 down pushes grid 1 up.
        Near(GridOf(j, 2)["reaction"][1], 12 * EI * d / (L * L * L), 1e-9);
        Near(GridOf(j, 1)["reaction"][1], -12 * EI * d / (L * L * L), 1e-9);
        EXPECT_EQ(j["error_measure"], 0.0);
    }
}

TEST(EndToEnd, SpringsAndPolarGrids)
{
    {
        SCOPED_TRACE("a cantilever tip on a spring: the reaction is -k*v");
        // 3EI/L^3 = 3 * 1000 / 1000 = 3, spring 5: v = P / 8.
        const json j =
            Solve({"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
                   "DOFS DEF 1 1 1", "RACT 1 1 1 1", "SPRG 2 0 5", "ENDMODEL", "LOAD 2 0 -16"});
        const double v = -16.0 / 8;
        Near(GridOf(j, 2)["disp"][1], v, 1e-9);
        Near(GridOf(j, 2)["reaction"][1], -5 * v, 1e-9);
        Near(GridOf(j, 2)["reaction"][0], 0, 0, 0);
        Near(Num(GridOf(j, 1)["reaction"][1]) + Num(GridOf(j, 2)["reaction"][1]), 16, 1e-9);
        EXPECT_EQ(j["error_measure"], 0.0);
    }
    {
        SCOPED_TRACE("a radial LOAD on a polar grid stretches a radial bar");
        // Bar from the origin to the polar grid at radius 2, angle 60: N = 10.
        const json j = Solve({"GRID 1 0 0", "GRID 2 2 60 POLAR", "BEAM 1 1 2 1 1", "PROP 1 0.5 0",
                              "MATL 1 1000", "DOFS DEF 1 1 0", "RACT 1 1 1", "RACT 2 0 1",
                              "ENDMODEL", "LOAD 2 10 0"});
        const json& g = GridOf(j, 2);
        Near(g["disp"][0], 10 * 2 / (1000 * 0.5));
        Near(g["disp"][1], 0, 0, 1e-15);
        Near(ElementOf(j, "beams", 1)["end_a"][0], 10);
        Near(GridOf(j, 1)["reaction"][0], -10 * std::cos(60 * M_PI / 180), 1e-9);
        Near(GridOf(j, 1)["reaction"][1], -10 * std::sin(60 * M_PI / 180), 1e-9);
        EXPECT_EQ(j["error_measure"], 0.0);
    }
}

// A 2 x 2 patch of quads on [0,4] x [0,2] with a displaced middle grid.
const std::vector<std::string> PatchGrids = {
    "GRID 1 0 0",         "GRID 2 2.2 0",       "GRID 3 4 0",         "GRID 4 0 0.9",
    "GRID 5 1.7 1.2",     "GRID 6 4 1.1",       "GRID 7 0 2",         "GRID 8 2.4 2",
    "GRID 9 4 2",         "QUAD 1 1 2 5 4 1 1", "QUAD 2 2 3 6 5 1 1", "QUAD 3 4 5 8 7 1 1",
    "QUAD 4 5 6 9 8 1 1", "PROP 1 0.5",
};

TEST(EndToEnd, QuadPatchTestsAreExactToRounding)
{
    const double p = 3, t = 0.5;
    struct Case
    {
        const char* name;
        std::vector<std::string> tail;
        double sx, sy, sxy;
    } cases[] = {
        {"edge pressure on left and right: Sx = -p/t",
         {"MATL 1 1000 0.3", "DOFS DEF 1 1 0", "RACT 1 1 1", "RACT 7 1 0", "ENDMODEL",
          "QLOAD 1 4 3", "QLOAD 3 4 3", "QLOAD 2 2 3", "QLOAD 4 2 3"},
         -p / t,
         0,
         0},
        {"plane strain under the same pressure",
         {"MATL 1 1000 0.3 STRAIN", "DOFS DEF 1 1 0", "RACT 1 1 1", "RACT 7 1 0", "ENDMODEL",
          "QLOAD 1 4 3", "QLOAD 3 4 3", "QLOAD 2 2 3", "QLOAD 4 2 3"},
         -p / t,
         0,
         0},
        {"free thermal expansion leaves no stress",
         {"MATL 1 1000 0.3 1E-3", "DOFS DEF 1 1 0", "RACT 1 1 1", "RACT 3 0 1", "ENDMODEL",
          "QTEMP 1 THRU 4 20"},
         0,
         0,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto lines = PatchGrids;
        lines.insert(lines.end(), c.tail.begin(), c.tail.end());
        const json j = Solve(lines);
        for (const auto& q : j["quads"])
            for (const auto& s : q["stress"]) {
                Near(s[0], c.sx, 1e-10, 1e-10);
                Near(s[1], c.sy, 1e-10, 1e-10);
                Near(s[2], c.sxy, 1e-10, 1e-10);
            }
    }
}

TEST(EndToEnd, ATriangleUnderPressureOnAllThreeEdges)
{
    {
        const json j =
            Solve({"GRID 1 0 0", "GRID 2 3 0", "GRID 3 1 2", "QUAD 5 1 2 3 0 1 1", "PROP 1 0.5",
                   "MATL 1 1000 0.25", "DOFS DEF 1 1 0", "RACT 1 1 1", "RACT 2 0 1", "ENDMODEL",
                   "QLOAD 5 1 2", "QLOAD 5 2 2", "QLOAD 5 3 2"});
        const json& q = ElementOf(j, "quads", 5);
        EXPECT_EQ(q["grids"], json::array({1, 2, 3, 3}));
        for (const auto& s : q["stress"]) {
            Near(s[0], -4, 1e-10, 1e-10);
            Near(s[1], -4, 1e-10, 1e-10);
            Near(s[2], 0, 0, 1e-10);
        }
        EXPECT_EQ(j["error_measure"], 0.0);
    }
}

TEST(EndToEnd, ARingOfPolarQuadsReportsRadialAndTangentialStresses)
{
    // The example cylinder: a quarter ring, radii 1 to 2 in 6 by 6 quads (quad 6k + i + 1 in
    // ring i, sector k), internal pressure 10, plane strain, E = 2E5, nu = 0.3.
    BatchRun run;
    RunBatch(run, ReadExample("thick-cylinder.tav"), {});
    ASSERT_EQ(ExitStatusOf(run), ExitSolved);
    const json j = json::parse(BatchJson(run));
    const int n = 6;
    const double A = 10.0 / 3, B = 40.0 / 3; // Lame: Sr = A - B/r^2, St = A + B/r^2
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i) {
            const json& quad = ElementOf(j, "quads", k * n + i + 1);
            double sr = 0, st = 0, srt = 0;
            for (const auto& s : quad["stress"]) {
                sr += Num(s[0]) / 4;
                st += Num(s[1]) / 4;
                srt += Num(s[2]) / 4;
            }
            const double r = 1.0 + (i + 0.5) / n;
            double er = A - B / (r * r), et = A + B / (r * r), ert = 0;
            if (k == n - 1) {
                // The grids on the 90 degree face have their tangential dof held, so
                // their dofs were turned: these quads report x-y components.
                const double phi = (k + 0.5) * M_PI / 2 / n, c = std::cos(phi), s = std::sin(phi);
                er = c * c * (A - B / (r * r)) + s * s * (A + B / (r * r));
                et = s * s * (A - B / (r * r)) + c * c * (A + B / (r * r));
                ert = -c * s * 2 * B / (r * r);
            }
            EXPECT_NEAR(sr, er, 0.3) << "quad " << k * n + i + 1;
            EXPECT_NEAR(st, et, 0.3) << "quad " << k * n + i + 1;
            EXPECT_NEAR(srt, ert, k == n - 1 ? 0.3 : 0.05) << "quad " << k * n + i + 1;
        }
    // The inner grids (ids 1, 8, 15, ...) move outward radially and not tangentially.
    const double u1 = 1.3 / 2e5 * (0.4 * A + B);
    Near(GridOf(j, 22)["disp"][0], u1, 0.02);
    Near(GridOf(j, 22)["disp"][1], 0, 0, 1e-10);
}

TEST(EndToEnd, SubcaseScalarsWeighTheirRecords)
{
    const std::vector<std::string> model = {
        "GRID 1 0 0",     "GRID 2 10 0",  "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
        "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL",       "LOAD 2 1 0", "SUBCASE 1",
        "LOAD 2 0 -1",    "SUBCASE 2",    "LOAD 2 0 0 100"};
    const json both = Solve(model);
    const json weighted = Solve(model, {2.5, 0});
    const json only =
        Solve({"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
               "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL", "LOAD 2 1 -2.5"});
    for (int d = 0; d < 3; ++d) {
        Near(GridOf(weighted, 2)["disp"][d], Num(GridOf(only, 2)["disp"][d]), 1e-12, 1e-15);
        Near(GridOf(weighted, 1)["reaction"][d], Num(GridOf(only, 1)["reaction"][d]), 1e-12, 1e-12);
    }
    // With the default scalars (1.0 each) the moment of subcase 2 acts.
    Near(GridOf(both, 1)["reaction"][2], -(-1 * 10) - 100, 1e-12);
}

TEST(EndToEnd, TheJsonReportSurvivesBytesThatAreNotUtf8)
{
    // An overlong record anywhere in the text stops the model processing; its echo holds
    // a Latin-1 byte.
    BatchRun run;
    RunBatch(run,
             Lines({"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
                    "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL", "LOAD 2 THRU 2 0 -1 caf\xE9"}),
             {});
    EXPECT_EQ(ExitStatusOf(run), ExitModelError);
    const json j = json::parse(BatchJson(run));
    EXPECT_EQ(j["diagnostics"][0], "LOAD 2 THRU 2 0 -1 caf\xEF\xBF\xBD");
    EXPECT_EQ(j["diagnostics"][1], "... Bad record... check syntax");
}

} // namespace
} // namespace tavu

// Whole models as data: one test per case under tests/models, so adding a case adds files.
//
// A case is a model, NAME.tav (or NAME.model: one line naming a .tav relative to it), with
// one or both of
//   NAME.txt   the text report, byte for byte;
//   NAME.json  {"scalars": [..], "solver": "auto", "memory": -1, "exit": 0, "tolerance": 1e-9,
//              "floor": 1e-12, "expect": {..}}
//              (scalars, solver, memory, tolerance and floor optional, with these defaults;
//              scalars fill the load case scalars dialog as --scalars does, also for the text
//              report; solver chooses the factorization as --solver does; memory is the bytes
//              the stiffness may take, -1 for what the machine has available).
// "expect" is matched as a subset of the JSON report:
//   - objects key by key; arrays of objects that carry "id" by id; other arrays element by
//     element, and of the same length;
//   - numbers within tolerance * |expected| + floor; strings, booleans and null exactly;
//   - {"contains": "..."} a string holding that text; {"mean": [..]} an array of rows whose
//     column means match (the averaged quad stresses); {} anything (an unchecked element).
// Models must have CR LF line ends, as the program saves them. Every solved case also checks
// that the grid and quad listings of the text report agree with the JSON report.
//
// TAVU_UPDATE_GOLDEN=1 rewrites the .txt files; review the difference before committing it.

#include "BatchRun.h"
#include "driver/Driver.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tavu {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Expectations against a report; failures name the JSON path, the expected and the actual.
struct Matcher
{
    double tolerance = 1e-9, floor = 1e-12;
    std::vector<std::string> failures;

    void Fail(const std::string& path, const json& expected, const json& actual)
    {
        failures.push_back(path + ": expected " + expected.dump() + ", got " + actual.dump());
    }

    static bool Is(const json& e, const char* key) { return e.size() == 1 && e.contains(key); }

    void Match(const json& e, const json& a, const std::string& path)
    {
        if (e.is_object() && e.empty())
            return;
        if (e.is_object() && Is(e, "contains")) {
            if (!a.is_string() ||
                a.get<std::string>().find(e["contains"].get<std::string>()) == std::string::npos)
                Fail(path, e, a);
        } else if (e.is_object() && Is(e, "mean")) {
            json mean = json::array();
            for (std::size_t c = 0; a.is_array() && !a.empty() && c < a[0].size(); ++c) {
                double sum = 0;
                for (const json& row : a)
                    sum += row.is_array() && c < row.size() && row[c].is_number()
                               ? row[c].get<double>()
                               : std::nan("");
                mean.push_back(sum / static_cast<double>(a.size()));
            }
            Match(e["mean"], mean, path + ".mean");
        } else if (e.is_object()) {
            if (!a.is_object())
                return Fail(path, e, a);
            for (const auto& [key, value] : e.items()) {
                if (a.contains(key))
                    Match(value, a[key], path + "." + key);
                else
                    failures.push_back(path + "." + key + ": missing");
            }
        } else if (e.is_array() && !e.empty() && e[0].is_object() && e[0].contains("id")) {
            if (!a.is_array())
                return Fail(path, e, a);
            for (const json& item : e) {
                const std::string at = path + "[id=" + item["id"].dump() + "]";
                const auto found = std::find_if(a.begin(), a.end(), [&](const json& x) {
                    return x.is_object() && x.contains("id") && x["id"] == item["id"];
                });
                if (found == a.end())
                    failures.push_back(at + ": missing");
                else
                    Match(item, *found, at);
            }
        } else if (e.is_array()) {
            if (!a.is_array() || a.size() != e.size())
                return Fail(path, e, a);
            for (std::size_t i = 0; i < e.size(); ++i)
                Match(e[i], a[i], path + "[" + std::to_string(i) + "]");
        } else if (e.is_number()) {
            const double x = e.get<double>();
            if (!a.is_number() ||
                !(std::fabs(a.get<double>() - x) <= tolerance * std::fabs(x) + floor))
                Fail(path, e, a);
        } else if (e != a) {
            Fail(path, e, a);
        }
    }
};

TEST(ModelExpectations, MatchASubsetAndNameWhereTheyFail)
{
    const json report = json::parse(R"({"status": "solved", "log": "error measure =  0",
        "grids": [{"id": 1, "disp": [0, -0.5, 1e-14]}, {"id": 4, "disp": [1, 2, null]}],
        "quads": [{"id": 2, "stress": [[1, 0], [3, 0]]}]})");
    const struct
    {
        const char* expect;
        std::vector<std::string> failures;
    } cases[] = {
        {R"({"grids": [{"id": 1, "disp": [0, -0.5000000001, 0]}, {"id": 4, "disp": [1, {}, null]}],
             "log": {"contains": "measure =  0"}, "quads": [{"id": 2, "stress": {"mean": [2, 0]}}]})",
         {}},
        {R"({"grids": [{"id": 4, "disp": [1, 2.01, 0]}, {"id": 3}], "status": "failed", "neq": 3})",
         {"$.grids[id=4].disp[1]: expected 2.01, got 2",
          "$.grids[id=4].disp[2]: expected 0, got null", "$.grids[id=3]: missing", "$.neq: missing",
          "$.status: expected \"failed\", got \"solved\""}},
        {R"({"grids": [{"id": 1, "disp": [0, -0.5]}], "log": {"contains": "measure = 0"}})",
         {"$.grids[id=1].disp: expected [0,-0.5], got [0,-0.5,1e-14]",
          "$.log: expected {\"contains\":\"measure = 0\"}, got \"error measure =  0\""}},
        {R"({"quads": [{"id": 2, "stress": {"mean": [1, 0]}}]})",
         {"$.quads[id=2].stress.mean[0]: expected 1, got 2.0"}},
    };
    for (const auto& c : cases) {
        Matcher m;
        m.Match(json::parse(c.expect), report, "$");
        EXPECT_EQ(m.failures, c.failures) << c.expect;
    }
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A case is every file name under the directory without its extension, so a stray .txt or
// .json without its model fails rather than going unnoticed.
struct ModelCase
{
    fs::path stem;
    std::string file; // relative to the directory
};

void PrintTo(const ModelCase& c, std::ostream* os)
{
    *os << c.file;
}

std::vector<ModelCase> FindCases()
{
    const fs::path root = TAVU_MODELS_DIR;
    std::set<fs::path> stems;
    std::error_code error; // a missing directory leaves the suite without cases, a failure
    for (const auto& f : fs::recursive_directory_iterator(root, error)) {
        const fs::path ext = f.path().extension();
        if (f.is_regular_file() &&
            (ext == ".tav" || ext == ".model" || ext == ".txt" || ext == ".json"))
            stems.insert(f.path().parent_path() / f.path().stem());
    }
    std::vector<ModelCase> cases;
    for (const fs::path& stem : stems)
        cases.push_back({stem, fs::relative(stem, root).generic_string()});
    return cases;
}

fs::path With(const fs::path& stem, const char* ext)
{
    return fs::path(stem).concat(ext);
}

std::vector<std::string> Split(const std::string& s, char separator)
{
    std::vector<std::string> parts(1);
    for (const char c : s) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// A value of a listing line against the JSON report's: equal to the four digits shown
// (1.000E+99 with the value's sign from that magnitude on).
void ExpectShown(const std::string& shown, const json& v, const std::string& line)
{
    const double x = std::strtod(shown.c_str(), nullptr);
    if (v.is_null())
        EXPECT_TRUE(std::isnan(x)) << line;
    else if (std::fabs(v.get<double>()) >= 1e99)
        EXPECT_EQ(x, std::copysign(1e99, v.get<double>())) << line;
    else
        EXPECT_NEAR(x, v.get<double>(), 5.0001e-4 * std::fabs(v.get<double>()) + 1e-99) << line;
}

// The listings of the text report against the JSON report. Deflections and Reactions: the
// same grids and values. Quad Stresses: one line per entry of "corners", quad by quad,
// naming the corner's grid, with the same values.
void ExpectListingsAgree(const std::string& text, const json& report)
{
    const std::vector<std::string> lines = Split(text, '\n');
    const json& grids = report["grids"];
    for (const auto& [title, key] : {std::pair{"Deflections", "disp"}, {"Reactions", "reaction"}}) {
        auto at = std::find(lines.begin(), lines.end(), title);
        ASSERT_NE(at, lines.end()) << "no " << title << " listing";
        std::size_t listed = 0;
        for (at += 2; at != lines.end() && !at->empty(); ++at, ++listed) { // past the heading
            const std::vector<std::string> f = Split(*at, '\t');
            ASSERT_EQ(f.size(), 6u) << title << ": " << *at;
            const auto grid = std::find_if(grids.begin(), grids.end(), [&](const json& g) {
                return g["id"] == std::atoi(f[2].c_str());
            });
            ASSERT_TRUE(grid != grids.end() && !(*grid)[key].is_null())
                << title << " lists a grid without " << key << " in the JSON report: " << *at;
            for (int d = 0; d < 3; ++d)
                ExpectShown(f[3 + d], (*grid)[key][d], title + (": " + *at));
        }
        const auto withValues = std::count_if(grids.begin(), grids.end(),
                                              [&](const json& g) { return !g[key].is_null(); });
        EXPECT_EQ(listed, static_cast<std::size_t>(withValues)) << title;
    }
    auto at = std::find(lines.begin(), lines.end(), "Quad Stresses");
    ASSERT_NE(at, lines.end()) << "no Quad Stresses listing";
    at += 2;
    for (const json& quad : report["quads"]) {
        for (std::size_t k = 0; k < quad["corners"].size(); ++k, ++at) {
            ASSERT_TRUE(at != lines.end() && !at->empty())
                << "quad " << quad["id"] << " corner " << k;
            const std::vector<std::string> f = Split(*at, '\t');
            ASSERT_EQ(f.size(), 8u) << *at;
            EXPECT_EQ(f[2].substr(0, f[2].find(' ')), quad["grids"][k].dump()) << *at;
            for (std::size_t c = 0; c < 5; ++c)
                ExpectShown(f[3 + c], quad["corners"][k][c], *at);
        }
    }
    EXPECT_TRUE(at == lines.end() || at->empty()) << "a listing line without corner: " << *at;
}

void ExpectSameText(const std::string& text, const fs::path& golden)
{
    if (std::getenv("TAVU_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(golden, std::ios::binary) << text;
        return;
    }
    const auto got = Split(text, '\n'), want = Split(ReadFile(golden), '\n');
    std::size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i])
        ++i;
    if (i < got.size() || i < want.size())
        ADD_FAILURE() << golden.string() << " line " << i + 1 << ": expected\n"
                      << (i < want.size() ? want[i] : "(end)") << "\ngot\n"
                      << (i < got.size() ? got[i] : "(end)");
}

class Models : public testing::TestWithParam<ModelCase>
{
};

TEST_P(Models, Case)
{
    const fs::path& stem = GetParam().stem;
    fs::path model = With(stem, ".tav");
    if (!fs::exists(model) && fs::exists(With(stem, ".model"))) {
        std::string target;
        std::istringstream(ReadFile(With(stem, ".model"))) >> target;
        model = stem.parent_path() / target;
    }
    ASSERT_TRUE(fs::is_regular_file(model)) << stem.string() << ": no model (.tav or .model)";
    const bool hasText = fs::exists(With(stem, ".txt")), hasJson = fs::exists(With(stem, ".json"));
    ASSERT_TRUE(hasText || hasJson) << stem.string() << ": nothing to check (.txt or .json)";

    const std::string modelText = ReadFile(model);
    for (std::size_t at = modelText.find('\n'); at != std::string::npos;
         at = modelText.find('\n', at + 1))
        ASSERT_TRUE(at > 0 && modelText[at - 1] == '\r') << model.string() << " has LF line ends";

    json spec = {{"scalars", json::array()},
                 {"solver", "auto"},
                 {"memory", -1},
                 {"tolerance", 1e-9},
                 {"floor", 1e-12}};
    if (hasJson) {
        const json given = json::parse(ReadFile(With(stem, ".json")));
        for (const auto& [key, value] : given.items()) {
            ASSERT_TRUE(spec.contains(key) || key == "exit" || key == "expect")
                << "unknown key " << key;
            spec[key] = value;
        }
        ASSERT_TRUE(spec.contains("exit") && spec.contains("expect")) << "needs exit and expect";
    }

    BatchRun run;
    const auto solver = ParseSolver(spec["solver"].get<std::string>());
    ASSERT_TRUE(solver) << "solver is auto, skyline or sparse";
    run.analysis.SolverChoice = *solver;
    run.analysis.MemoryForStiffness = spec["memory"].get<long long>();
    RunBatch(run, modelText, spec["scalars"].get<std::vector<double>>());
    const std::string text = BatchText(run);
    const json report = json::parse(BatchJson(run));
    if (run.solved)
        ExpectListingsAgree(text, report);
    if (hasText)
        ExpectSameText(text, With(stem, ".txt"));
    if (hasJson) {
        EXPECT_EQ(ExitStatusOf(run), spec["exit"].get<int>()) << run.readText << "\n"
                                                              << run.decompositionLog;
        Matcher m{spec["tolerance"].get<double>(), spec["floor"].get<double>(), {}};
        m.Match(spec["expect"], report, "$");
        for (const std::string& failure : m.failures)
            ADD_FAILURE() << failure;
    }
}

std::string TestName(const testing::TestParamInfo<ModelCase>& c)
{
    std::string name = c.param.file;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(, Models, testing::ValuesIn(FindCases()), TestName);

} // namespace
} // namespace tavu

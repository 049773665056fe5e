#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "BatchRun.h"

namespace tavu {
namespace {

TEST(ParseScalars, AcceptsOnlyFiniteNumbers)
{
    auto ok = ParseScalars("2.5,0,-1e-3");
    ASSERT_TRUE(ok);
    EXPECT_EQ(*ok, (std::vector<double>{2.5, 0, -1e-3}));
    for (const char* bad : {"", "1,", ",1", "1,,2", "x", "1,2x", "inf", "nan", "1e999"})
        EXPECT_FALSE(ParseScalars(bad)) << bad;
}

TEST(BatchRun, AModelErrorGivesStatusOneWithItsDiagnostics)
{
    BatchRun run;
    RunBatch(run, "GRID 1 0 0\nRACT 1 1 1 1\n", {});
    EXPECT_EQ(ExitStatusOf(run), ExitModelError);
    const auto j = nlohmann::json::parse(BatchJson(run));
    EXPECT_EQ(j["status"], "model_error");
    EXPECT_EQ(j["diagnostics"], nlohmann::json::array({"No elements found (BEAM, QUAD)",
                                                       "ENDMODEL not found"}));
    EXPECT_EQ(j["read_text"], "No elements found (BEAM, QUAD)\nENDMODEL not found\n\n"
                              "Fatal error... Done processing model");
    EXPECT_EQ(j["decomposition_log"], "");
    EXPECT_EQ(j["load_log"], "");
    EXPECT_TRUE(j["grids"].empty());

    // The text report is the read text with LF line ends.
    EXPECT_EQ(BatchText(run), "No elements found (BEAM, QUAD)\nENDMODEL not found\n\n"
                              "Fatal error... Done processing model\n");
}

TEST(BatchRun, ASolvedModelReportsEveryStep)
{
    BatchRun run;
    RunBatch(run,
             "GRID 1 0 0\nGRID 2 10 0\nBEAM 1 1 2 1 1\nPROP 1 1 1\nMATL 1 1000\n"
             "DOFS DEF 1 1 1\nRACT 1 1 1 1\nENDMODEL\nLOAD 2 0 -1\n",
             {});
    ASSERT_EQ(ExitStatusOf(run), ExitSolved) << run.readText << run.decompositionLog;
    const auto j = nlohmann::json::parse(BatchJson(run));
    EXPECT_EQ(j["status"], "solved");
    EXPECT_EQ(j["neq"], 3);
    EXPECT_TRUE(j["diagnostics"].empty());
    ASSERT_EQ(j["grids"].size(), 2u);
    EXPECT_EQ(j["grids"][0]["id"], 1);
    EXPECT_FALSE(j["grids"][0]["reaction"].is_null());
    EXPECT_TRUE(j["grids"][1]["reaction"].is_null());
    ASSERT_EQ(j["beams"].size(), 1u);
    EXPECT_EQ(j["beams"][0]["grids"], nlohmann::json::array({1, 2}));

    const std::string text = BatchText(run);
    for (const char* title : {"\nDeflections\n", "\nReactions\n", "\nBeam Forces\n",
                              "\nQuad Stresses\n"})
        EXPECT_NE(text.find(title), std::string::npos) << title;
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

} // namespace
} // namespace tavu

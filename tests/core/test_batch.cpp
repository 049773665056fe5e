#include "BatchRun.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tavu

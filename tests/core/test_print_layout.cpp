// The printed pages as data: page breaks of the model text and of the listings, the
// header block of every page, and result items that stay on one page.

#include "results/PrintLayout.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace tavu {
namespace {

using Lines = std::vector<std::string>;

// The body lines of a job (header blocks left out), in print order.
Lines BodyLines(const PrintJob& job)
{
    Lines out;
    for (const PrintedPage& page : job.Pages)
        out.insert(out.end(), page.Lines.begin() + page.HeaderLines, page.Lines.end());
    return out;
}

TEST(ModelTextPages, BreakAfterLMinusFourLinesUnderTheHeading)
{
    // Lines per page L, model lines N, pages; the smallest page still holds one line.
    const int cases[][3] = {{60, 56, 1}, {60, 57, 2}, {60, 112, 2}, {60, 113, 3}, {20, 16, 1},
                            {20, 17, 2}, {20, 1, 1},  {5, 3, 3},    {2, 3, 3},    {-7, 2, 2}};
    for (const auto& [L, N, pages] : cases) {
        SCOPED_TRACE("L=" + std::to_string(L) + " N=" + std::to_string(N));
        Lines lines(1), indented;
        for (int i = 1; i <= N; ++i) {
            lines.push_back("GRID " + std::to_string(i) + " 0 0");
            indented.push_back("        " + lines.back());
        }
        const PrintJob job = LayoutModelText(lines, "frame.tav", L);
        ASSERT_EQ(job.Pages.size(), static_cast<std::size_t>(pages));
        for (std::size_t p = 0; p < job.Pages.size(); ++p) {
            const Lines& page = job.Pages[p].Lines;
            ASSERT_EQ(job.Pages[p].HeaderLines, 3);
            ASSERT_GE(page.size(), 4u) << "page " << p + 1 << " has no text line";
            EXPECT_LE(static_cast<int>(page.size()), std::max(L, 5) - 1);
            EXPECT_EQ(Lines(page.begin(), page.begin() + 3),
                      (Lines{"        frame.tav  -  Page " + std::to_string(p + 1), "", ""}));
        }
        EXPECT_EQ(BodyLines(job), indented);
    }
    // Tabs are expanded; an empty text prints nothing.
    EXPECT_EQ(
        BodyLines(LayoutModelText({"", "GRID\t1\t0", "\tx", "ab\t", ""}, "m.tav", 60)),
        (Lines{"        GRID    1       0", "                x", "        ab      ", "        "}));
    EXPECT_TRUE(LayoutModelText(Lines{""}, "m.tav", 60).Pages.empty());
}

// How many body lines each page holds.
std::vector<std::size_t> PageSizes(const PrintJob& job)
{
    std::vector<std::size_t> sizes;
    for (const PrintedPage& page : job.Pages)
        sizes.push_back(page.Lines.size() - static_cast<std::size_t>(page.HeaderLines));
    return sizes;
}

TEST(ListingPages, ItemsFillPagesWholeInOrderUnderTheHeaderBlock)
{
    // Items of the given sizes (their lines numbered through) on pages of L lines: L - 8
    // hold items, a page is raised to hold the largest item, and a new page starts only
    // when the next item does not fit.
    const std::tuple<std::vector<int>, int, std::vector<std::size_t>> cases[] = {
        {{2, 2, 2}, 12, {4, 2}},    {{2, 0, 2, 3}, 12, {4, 3}},  {{3, 2, 1, 4, 1}, 13, {5, 5, 1}},
        {{1, 6, 1}, 12, {1, 6, 1}}, {{4, 4, 3, 4}, 20, {11, 4}}, {{0, 0}, 60, {}}};
    for (const auto& [sizes, L, pages] : cases) {
        std::vector<Lines> items;
        Lines all;
        for (int n : sizes) {
            items.emplace_back();
            for (int k = 0; k < n; ++k) {
                items.back().push_back("line " + std::to_string(all.size() + 1));
                all.push_back("        " + items.back().back());
            }
        }
        const PrintJob job = LayoutListing(items, "Beam Forces", "Beam   Grid", "frame.tav", L);
        EXPECT_EQ(PageSizes(job), pages) << "L=" << L;
        EXPECT_EQ(BodyLines(job), all) << "L=" << L;
        for (std::size_t p = 0; p < job.Pages.size(); ++p)
            EXPECT_EQ(
                Lines(job.Pages[p].Lines.begin(), job.Pages[p].Lines.begin() + 7),
                (Lines{"        Beam Forces", "        frame.tav  -  Page " + std::to_string(p + 1),
                       "", "", "        Beam   Grid", "", ""}));
    }
}

TEST(ResultPages, TheCornersOfOneQuadStayOnOnePage)
{
    // Quads 101..110, every third a triangle, uniform stresses: corner values equal them.
    Analysis a;
    a.Model.nQuads = 10;
    a.Model.Quads.Create(10);
    a.Results.QuadStresses.Create(10);
    for (int q = 1; q <= 10; ++q) {
        a.Model.Quads(q).id = 100 + q;
        a.Model.Quads(q).grid = {0, q + 1, q + 2, q + 3, q % 3 == 0 ? q + 3 : q + 4};
        for (int p = 1; p <= 4; ++p) {
            a.Results.QuadStresses(q, 1, p) = 2.5;
            a.Results.QuadStresses(q, 2, p) = -1;
        }
    }
    const std::vector<Lines> items = ResultItems(a, 4, false);
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0][0], "101    2       2.500E+00   -1.000E+00    0.000E+00    2.500E+00    "
                           "3.122E+00");
    // L = 20: 12 listing lines a page; 4 + 4 + 3 fit, the next 4 move on.
    EXPECT_EQ(PageSizes(LayoutResults(a, 4, false, "plate.tav", 20)),
              (std::vector<std::size_t>{11, 11, 11, 4}));
    // Averaged: one line a quad, all on one page; a kind without items prints nothing.
    EXPECT_EQ(PageSizes(LayoutResults(a, 4, true, "plate.tav", 20)), std::vector<std::size_t>{10});
    EXPECT_TRUE(LayoutResults(a, 3, false, "plate.tav", 20).Pages.empty());
}

} // namespace
} // namespace tavu

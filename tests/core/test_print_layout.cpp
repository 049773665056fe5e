// The printed pages as data: page breaks of the model text and of the listings, the
// header block of every page, and result items that stay on one page.

#include "results/PrintLayout.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
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
    // Tabs are expanded; an empty text prints nothing; the split text of the analysis prints
    // a line count beyond its stored lines as empty lines.
    EXPECT_EQ(
        BodyLines(LayoutModelText({"", "GRID\t1\t0", "\tx", "ab\t", ""}, "m.tav", 60)),
        (Lines{"        GRID    1       0", "                x", "        ab      ", "        "}));
    EXPECT_TRUE(LayoutModelText(Lines{""}, "m.tav", 60).Pages.empty());
    Analysis a;
    a.Text.ModelLines = {"", "GRID 1 0 0", "ENDMODEL"};
    a.Text.LineCount = 3;
    EXPECT_EQ(BodyLines(LayoutModelText(a, "x.tav", 60)),
              (Lines{"        GRID 1 0 0", "        ENDMODEL", "        "}));
}

// The page (0-based) each item landed on, -1 for an empty item; fails when an item is
// split, lost or out of order.
std::vector<int> PagesOfItems(const PrintJob& job, const std::vector<Lines>& items)
{
    std::vector<int> where;
    std::size_t page = 0, line = 0;
    for (const Lines& item : items) {
        while (!item.empty() && page < job.Pages.size() &&
               line + job.Pages[page].HeaderLines >= job.Pages[page].Lines.size()) {
            ++page;
            line = 0;
        }
        for (const std::string& text : item) {
            const Lines* lines = page < job.Pages.size() ? &job.Pages[page].Lines : nullptr;
            const std::size_t at = lines ? job.Pages[page].HeaderLines + line++ : 0;
            if (!lines || at >= lines->size() || (*lines)[at] != "        " + text) {
                ADD_FAILURE() << "item lost, split or out of order at \"" << text << "\"";
                return where;
            }
        }
        where.push_back(item.empty() ? -1 : static_cast<int>(page));
    }
    return where;
}

TEST(ListingPages, RandomItemsAreNeverSplitAndNoPageIsWasted)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        // Items of 0..4 lines, numbered through; L - 8 lines of a page hold items.
        std::vector<Lines> items(random() % 40);
        int serial = 0, largest = 1;
        for (Lines& item : items) {
            item.resize(random() % 5);
            for (std::string& line : item)
                line = "item line #" + std::to_string(++serial);
            largest = std::max(largest, static_cast<int>(item.size()));
        }
        const int L = 9 + static_cast<int>(random() % 30);
        const PrintJob job = LayoutListing(items, "Reactions", "Grid", "r.tav", L);
        const std::vector<int> where = PagesOfItems(job, items);
        // Greedy filling: a new page starts only when the next item does not fit; a page
        // is raised to hold the largest item.
        const std::size_t room = static_cast<std::size_t>(std::max(L, 8 + largest)) - 8;
        std::size_t used = 0;
        int page = -1;
        for (std::size_t i = 0; i < where.size(); ++i) {
            if (items[i].empty())
                continue;
            if (page < 0 || used + items[i].size() > room) {
                ++page;
                used = 0;
            }
            used += items[i].size();
            ASSERT_EQ(where[i], page) << "L=" << L << " item " << i;
        }
        EXPECT_EQ(job.Pages.size(), static_cast<std::size_t>(page + 1));
    }
}

TEST(ListingPages, EveryPageStartsWithTheHeaderBlock)
{
    const PrintJob job = LayoutListing({{"a", "b"}, {"c", "d"}, {"e", "f"}}, "Beam Forces",
                                       "Beam   Grid     Axial", "frame.tav", 12);
    ASSERT_EQ(job.Pages.size(), 2u);
    for (std::size_t p = 0; p < job.Pages.size(); ++p)
        EXPECT_EQ(
            Lines(job.Pages[p].Lines.begin(), job.Pages[p].Lines.begin() + 7),
            (Lines{"        Beam Forces", "        frame.tav  -  Page " + std::to_string(p + 1), "",
                   "", "        Beam   Grid     Axial", "", ""}));
    EXPECT_EQ(BodyLines(job), (Lines{"        a", "        b", "        c", "        d",
                                     "        e", "        f"}));
    EXPECT_TRUE(LayoutListing({{}, {}}, "T", "H", "f", 60).Pages.empty());
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
    const PrintJob job = LayoutResults(a, 4, false, "plate.tav", 20);
    EXPECT_EQ(PagesOfItems(job, items), (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3}));
    ASSERT_EQ(job.Pages.size(), 4u);
    EXPECT_EQ(job.Pages[3].Lines[1], "        plate.tav  -  Page 4");
    // Averaged: one line a quad, all on one page; a kind without items prints nothing.
    EXPECT_EQ(LayoutResults(a, 4, true, "plate.tav", 20).Pages.at(0).Lines.size(), 17u);
    EXPECT_TRUE(LayoutResults(a, 3, false, "plate.tav", 20).Pages.empty());
}

} // namespace
} // namespace tavu

#include "results/PrintLayout.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace tavu {
namespace {

std::vector<std::string> NumberedLines(int n)
{
    std::vector<std::string> lines(1);
    for (int i = 1; i <= n; ++i)
        lines.push_back("GRID " + std::to_string(i) + " 0 0");
    return lines;
}

// The body lines of a job (header blocks left out), in print order.
std::vector<std::string> BodyLines(const PrintJob& job)
{
    std::vector<std::string> out;
    for (const PrintedPage& page : job.Pages)
        out.insert(out.end(), page.Lines.begin() + page.HeaderLines, page.Lines.end());
    return out;
}

TEST(ModelTextPages, BreakAfterLMinusFourLines)
{
    struct Case
    {
        int linesPerPage;
        int lineCount;
        int pages;
    } cases[] = {
        {60, 56, 1},  // exactly L - 4 lines: one page
        {60, 57, 2},  // one more: page 2
        {60, 112, 2}, // two full pages and no empty third
        {60, 113, 3}, {20, 16, 1}, {20, 17, 2},
        {20, 1, 1},   {5, 3, 3}, // the smallest page holds one line
        {2, 3, 3},               // fewer lines than the header needs: still one line per page
        {-7, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("L=" + std::to_string(c.linesPerPage) + " N=" + std::to_string(c.lineCount));
        const auto lines = NumberedLines(c.lineCount);
        const PrintJob job = LayoutModelText(lines, "frame.tav", c.linesPerPage);
        ASSERT_EQ(job.Pages.size(), static_cast<std::size_t>(c.pages));
        const int capacity = std::max(c.linesPerPage, 5) - 1;
        for (std::size_t p = 0; p < job.Pages.size(); ++p) {
            const PrintedPage& page = job.Pages[p];
            EXPECT_EQ(page.HeaderLines, 3);
            ASSERT_GE(page.Lines.size(), 4u) << "page " << p + 1 << " has no text line";
            EXPECT_LE(static_cast<int>(page.Lines.size()), capacity);
            EXPECT_EQ(page.Lines[0], "        frame.tav  -  Page " + std::to_string(p + 1));
            EXPECT_EQ(page.Lines[1], "");
            EXPECT_EQ(page.Lines[2], "");
        }
        // Every line once, in order, after the eight-blank indent.
        const auto body = BodyLines(job);
        ASSERT_EQ(body.size(), static_cast<std::size_t>(c.lineCount));
        for (int i = 1; i <= c.lineCount; ++i)
            EXPECT_EQ(body[static_cast<std::size_t>(i - 1)],
                      "        " + lines[static_cast<std::size_t>(i)]);
    }
}

TEST(ModelTextPages, TabsAreExpandedAndAnEmptyTextPrintsNothing)
{
    const std::vector<std::string> lines{"", "GRID\t1\t0", "\tx", "ab\t", ""};
    const PrintJob job = LayoutModelText(lines, "m.tav", 60);
    ASSERT_EQ(job.Pages.size(), 1u);
    EXPECT_EQ(BodyLines(job),
              (std::vector<std::string>{"        GRID    1       0", "                x",
                                        "        ab      ", "        "}));
    EXPECT_TRUE(LayoutModelText(std::vector<std::string>{""}, "m.tav", 60).Pages.empty());
    EXPECT_TRUE(LayoutModelText(std::vector<std::string>{}, "m.tav", 60).Pages.empty());
}

TEST(ModelTextPages, ReadsTheSplitLinesOfTheAnalysis)
{
    Analysis a;
    a.Text.ModelLines = {"", "GRID 1 0 0", "ENDMODEL"};
    a.Text.LineCount = 2;
    const PrintJob job = LayoutModelText(a, "x.tav", 60);
    EXPECT_EQ(BodyLines(job), (std::vector<std::string>{"        GRID 1 0 0", "        ENDMODEL"}));
    // A line count beyond the stored lines prints the missing lines empty, never outside.
    a.Text.LineCount = 4;
    EXPECT_EQ(BodyLines(LayoutModelText(a, "x.tav", 60)).size(), 4u);
}

std::vector<std::vector<std::string>> Items(const std::vector<int>& sizes)
{
    std::vector<std::vector<std::string>> items;
    int serial = 0;
    for (int n : sizes) {
        items.emplace_back();
        for (int k = 0; k < n; ++k)
            items.back().push_back("item" + std::to_string(items.size()) + " line" +
                                   std::to_string(k + 1) + " #" + std::to_string(++serial));
    }
    return items;
}

// Which page (0-based) each non-empty item landed on; fails when an item is split or
// lost.
std::vector<int> PagesOfItems(const PrintJob& job,
                              const std::vector<std::vector<std::string>>& items)
{
    std::vector<int> where;
    std::size_t page = 0, line = 0;
    for (const auto& item : items) {
        if (item.empty()) {
            where.push_back(-1);
            continue;
        }
        while (page < job.Pages.size() &&
               line + job.Pages[page].HeaderLines >= job.Pages[page].Lines.size()) {
            ++page;
            line = 0;
        }
        if (page >= job.Pages.size()) {
            ADD_FAILURE() << "item lost";
            break;
        }
        const PrintedPage& p = job.Pages[page];
        for (const std::string& text : item) {
            const std::size_t at = p.HeaderLines + line;
            if (at >= p.Lines.size() || p.Lines[at] != "        " + text) {
                ADD_FAILURE() << "item split or out of order at \"" << text << "\"";
                return where;
            }
            ++line;
        }
        where.push_back(static_cast<int>(page));
    }
    return where;
}

TEST(ListingPages, RandomItemsAreNeverSplitAndNoPageIsWasted)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<int> sizes(random() % 40);
        for (int& n : sizes)
            n = static_cast<int>(random() % 5);
        const int L = 9 + static_cast<int>(random() % 30);
        const auto items = Items(sizes);
        const PrintJob job = LayoutListing(items, "Reactions", "Grid", "r.tav", L);
        const auto where = PagesOfItems(job, items);
        // Greedy filling: a new page starts only when the next item does not fit.
        std::size_t used = 0;
        int page = -1;
        int largest = 1;
        for (int n : sizes)
            largest = std::max(largest, n);
        const std::size_t room = static_cast<std::size_t>(std::max(L, 8 + largest)) - 8;
        for (std::size_t i = 0; i < sizes.size() && i < where.size(); ++i) {
            if (sizes[i] == 0)
                continue;
            if (page < 0 || used + sizes[i] > room) {
                ++page;
                used = 0;
            }
            used += sizes[i];
            ASSERT_EQ(where[i], page) << "L=" << L << " item " << i;
        }
        EXPECT_EQ(job.Pages.size(), static_cast<std::size_t>(page + 1));
        for (const PrintedPage& p : job.Pages) {
            EXPECT_LE(p.Lines.size(), room + 7);
            EXPECT_GT(p.Lines.size(), static_cast<std::size_t>(p.HeaderLines)) << "empty page";
        }
    }
}

TEST(ListingPages, EveryPageStartsWithTheHeaderBlock)
{
    const auto items = Items({2, 2, 2});
    const PrintJob job =
        LayoutListing(items, "Beam Forces", "Beam   Grid     Axial", "frame.tav", 12);
    ASSERT_EQ(job.Pages.size(), 2u);
    for (std::size_t p = 0; p < job.Pages.size(); ++p) {
        const auto& lines = job.Pages[p].Lines;
        ASSERT_GE(lines.size(), 7u);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
                  (std::vector<std::string>{"        Beam Forces",
                                            "        frame.tav  -  Page " + std::to_string(p + 1),
                                            "", "", "        Beam   Grid     Axial", "", ""}));
    }
    EXPECT_TRUE(LayoutListing(Items({0, 0}), "T", "H", "f", 60).Pages.empty());
}

TEST(ListingPages, TitlesAndColumnHeadings)
{
    const std::string o = "\xC3\xB8";
    struct Case
    {
        int kind;
        bool average;
        std::string title, heading;
    } cases[] = {
        {1, false, "Deflections", "Grid      x Defl       y Defl       " + o + " Defl"},
        {2, true, "Reactions", "Grid      x Ract       y Ract       " + o + " Ract"},
        {3, false, "Beam Forces", "Beam   Grid     Axial        Shear        Moment"},
        {4, false, "Quad Stresses",
         "Quad   Grid      Sx           Sy           Sxy          Prin         vonM"},
        {4, true, "Quad Stresses",
         "Quad      Sx           Sy           Sxy          Prin         vonM"},
        {0, false, "", ""},
        {5, false, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrintTitle(c.kind), c.title) << c.kind;
        EXPECT_EQ(PrintColumnHeading(c.kind, c.average), c.heading) << c.kind;
    }
}

// Quads 1..n with ids 101.., every third a triangle, uniform stresses (so every corner
// value equals the integration-point value).
Analysis SolvedQuads(int n)
{
    Analysis a;
    ModelStore& m = a.Model;
    m.nQuads = n;
    m.Quads.Create(n);
    a.Results.QuadStresses.Create(n);
    for (int q = 1; q <= n; ++q) {
        QuadRow& quad = m.Quads(q);
        quad.id = 100 + q;
        quad.grid = {0, q + 1, q + 2, q + 3, q % 3 == 0 ? q + 3 : q + 4};
        for (int p = 1; p <= 4; ++p) {
            a.Results.QuadStresses(q, 1, p) = 2.5;
            a.Results.QuadStresses(q, 2, p) = -1;
            a.Results.QuadStresses(q, 3, p) = 0;
        }
    }
    a.State.Stage = Solved;
    return a;
}

TEST(ResultPages, QuadCornersOfOneQuadStayOnOnePage)
{
    const Analysis a = SolvedQuads(10);
    const auto items = ResultItems(a, 4, false);
    ASSERT_EQ(items.size(), 10u);
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i].size(), (i + 1) % 3 == 0 ? 3u : 4u) << "quad " << i + 1;
    // Print layout: no leader, three blanks between columns.
    EXPECT_EQ(items[0][0], "101    2       2.500E+00   -1.000E+00    0.000E+00    2.500E+00    "
                           "3.122E+00");
    // L = 20: 12 listing lines a page; 4 + 4 + 3 fit, the next 4 move on.
    const PrintJob job = LayoutResults(a, 4, false, "plate.tav", 20);
    EXPECT_EQ(PagesOfItems(job, items), (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3}));
    ASSERT_EQ(job.Pages.size(), 4u);
    EXPECT_EQ(job.Pages[3].Lines[0], "        Quad Stresses");
    EXPECT_EQ(job.Pages[3].Lines[1], "        plate.tav  -  Page 4");
    EXPECT_EQ(job.Pages[3].Lines[4], "        " + PrintColumnHeading(4, false));

    // Averaged: one line a quad, twelve to a page.
    const PrintJob averaged = LayoutResults(a, 4, true, "plate.tav", 20);
    EXPECT_EQ(averaged.Pages.size(), 1u);
    EXPECT_EQ(averaged.Pages[0].Lines.size(), 17u);
    EXPECT_EQ(averaged.Pages[0].Lines[4], "        " + PrintColumnHeading(4, true));
    // A kind without items, or an unknown kind, prints nothing.
    EXPECT_TRUE(LayoutResults(a, 3, false, "plate.tav", 20).Pages.empty());
    EXPECT_TRUE(LayoutResults(a, 9, false, "plate.tav", 20).Pages.empty());
}

TEST(PrinterSelection, ResultsAskOnceTheModelTextAlways)
{
    PrinterSelection s;
    using P = PrinterSelection::Printout;
    EXPECT_TRUE(s.MustAsk(P::Results));
    s.Chosen("LaserJet");
    EXPECT_FALSE(s.MustAsk(P::Results));
    EXPECT_FALSE(s.MustAsk(P::Results));
    EXPECT_TRUE(s.MustAsk(P::ModelText));
    EXPECT_EQ(s.PrinterName(), "LaserJet");
    // The model printout chose another printer: the listings follow it without asking.
    s.Chosen("Plotter");
    EXPECT_FALSE(s.MustAsk(P::Results));
    EXPECT_EQ(s.PrinterName(), "Plotter");
    // Output to a file names no printer, so the next listing asks again.
    s.Chosen("");
    EXPECT_TRUE(s.MustAsk(P::Results));
}

} // namespace
} // namespace tavu

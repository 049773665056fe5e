#include "results/PrintLayout.h"

#include "common/Numbers.h"
#include "results/Listings.h"

#include <algorithm>

namespace tavu {

namespace {

// Model text: the heading line and two lines advanced over.
constexpr int ModelHeaderLines = 3;
// Listings: title, heading line, two advanced, column heading, two advanced.
constexpr int ListingHeaderLines = 7;

std::string Indented(const std::string& text)
{
    return PrintIndent + text;
}

} // namespace

std::string PageHeading(const std::string& modelFileName, int page)
{
    return modelFileName + "  -  Page" + NumberText(page);
}

std::string ExpandTabs(const std::string& text)
{
    if (text.find('\t') == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size() + PrintTabWidth);
    for (char c : text) {
        if (c == '\t') {
            do
                out += ' ';
            while (out.size() % PrintTabWidth != 0);
        } else {
            out += c;
        }
    }
    return out;
}

PrintJob LayoutModelText(const std::vector<std::string>& lines, const std::string& modelFileName,
                         int linesPerPage)
{
    // K counts the physical line that comes next; a page is full when K reaches L, so
    // it holds L - 1 physical lines, L - 4 of them text.
    const int L = std::max(linesPerPage, ModelHeaderLines + 2);
    PrintJob job;
    int K = 0;
    const std::size_t N = lines.empty() ? 0 : lines.size() - 1;
    for (std::size_t i = 1; i <= N; ++i) {
        if (i == 1 || K >= L) {
            PrintedPage page;
            page.Lines.push_back(
                Indented(PageHeading(modelFileName, static_cast<int>(job.Pages.size()) + 1)));
            page.Lines.resize(ModelHeaderLines);
            page.HeaderLines = ModelHeaderLines;
            job.Pages.push_back(std::move(page));
            K = ModelHeaderLines + 1;
        }
        job.Pages.back().Lines.push_back(Indented(ExpandTabs(lines[i])));
        ++K;
    }
    return job;
}

PrintJob LayoutModelText(const Analysis& a, const std::string& modelFileName, int linesPerPage)
{
    std::vector<std::string> lines(1);
    for (int i = 1; i <= a.Text.LineCount; ++i)
        lines.emplace_back(ModelLine(a, i));
    return LayoutModelText(lines, modelFileName, linesPerPage);
}

std::string PrintTitle(int kind)
{
    switch (kind) {
    case DeflectionsKind:
        return "Deflections";
    case ReactionsKind:
        return "Reactions";
    case BeamForcesKind:
        return "Beam Forces";
    case QuadStressesKind:
        return "Quad Stresses";
    default:
        return std::string();
    }
}

std::string PrintColumnHeading(int kind, bool averageStresses)
{
    switch (kind) {
    case DeflectionsKind:
        return std::string("Grid      x Defl       y Defl       ") + RotationSign + " Defl";
    case ReactionsKind:
        return std::string("Grid      x Ract       y Ract       ") + RotationSign + " Ract";
    case BeamForcesKind:
        return "Beam   Grid     Axial        Shear        Moment";
    case QuadStressesKind:
        return averageStresses
                   ? "Quad      Sx           Sy           Sxy          Prin         vonM"
                   : "Quad   Grid      Sx           Sy           Sxy          Prin         vonM";
    default:
        return std::string();
    }
}

PrintJob LayoutListing(const std::vector<std::vector<std::string>>& items, const std::string& title,
                       const std::string& columnHeading, const std::string& modelFileName,
                       int linesPerPage)
{
    std::size_t largest = 1;
    for (const auto& item : items)
        largest = std::max(largest, item.size());
    // An item larger than a page would run off the paper: the page grows to hold it.
    const long long L =
        std::max<long long>(linesPerPage, ListingHeaderLines + 1 + static_cast<long long>(largest));
    PrintJob job;
    long long K = 0;
    for (const auto& item : items) {
        const long long n = static_cast<long long>(item.size());
        if (n == 0)
            continue;
        if (job.Pages.empty() || K + n > L) {
            PrintedPage page;
            page.Lines.push_back(Indented(title));
            page.Lines.push_back(
                Indented(PageHeading(modelFileName, static_cast<int>(job.Pages.size()) + 1)));
            page.Lines.resize(4);
            page.Lines.push_back(Indented(columnHeading));
            page.Lines.resize(ListingHeaderLines);
            page.HeaderLines = ListingHeaderLines;
            job.Pages.push_back(std::move(page));
            K = ListingHeaderLines + 1;
        }
        for (const std::string& line : item)
            job.Pages.back().Lines.push_back(Indented(line));
        K += n;
    }
    return job;
}

std::vector<std::vector<std::string>> ResultItems(const Analysis& a, int kind, bool averageStresses)
{
    std::vector<std::vector<std::string>> items;
    ListingOptions options;
    options.averageStresses = averageStresses;
    options.printLayout = true;
    options.idWidth = ListingIdWidth(a, kind);
    std::array<std::string, 5> lines;
    ForEachResultItem(a, kind, [&](int item) {
        const int n = std::clamp(BuildResultLines(a, item, kind, options, lines), 0, 4);
        items.emplace_back(lines.begin() + 1, lines.begin() + 1 + n);
    });
    return items;
}

PrintJob LayoutResults(const Analysis& a, int kind, bool averageStresses,
                       const std::string& modelFileName, int linesPerPage)
{
    return LayoutListing(ResultItems(a, kind, averageStresses), PrintTitle(kind),
                         PrintColumnHeading(kind, averageStresses), modelFileName, linesPerPage);
}

} // namespace tavu

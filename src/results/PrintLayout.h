#pragma once
// The printed pages as plain data: which line goes on which page under which header.
// The printer only paints these pages, one physical text line after the other, with a
// form feed between two pages; the lines per page come from the caller, who measured
// them with the printer's font.

#include "common/Analysis.h"

#include <string>
#include <vector>

namespace tavu {

// Every printed line starts with this indent.
inline constexpr const char* PrintIndent = "        ";

// Tabs in printed text are expanded to blanks at stops of this many columns.
inline constexpr int PrintTabWidth = 8;

// The printer font: the system's fixed-pitch face at 10 points.
inline constexpr int PrintFontPoints = 10;

// The slashed o that stands for the rotation in the column headings (UTF-8).
inline constexpr const char* RotationSign = "\xC3\xB8";

struct PrintedPage
{
    // Physical lines from the top of the page, indent included; "" is a line advanced
    // over. Lines after the last one are left blank.
    std::vector<std::string> Lines;
    int HeaderLines = 0; // the first HeaderLines lines are the page's header block
};

// One print job. Consecutive pages are separated by a form feed; none follows the last.
struct PrintJob
{
    std::vector<PrintedPage> Pages;
};

// The second header line: "name  -  Page 3".
std::string PageHeading(const std::string& modelFileName, int page);

// Expands tabs to blanks at stops of PrintTabWidth columns.
std::string ExpandTabs(const std::string& text);

// The model text, lines[1..] (entry 0 is not printed): every page starts with the
// heading line and two blank lines, so a page holds linesPerPage - 4 text lines.
// A linesPerPage too small for the header and one line is raised to that.
PrintJob LayoutModelText(const std::vector<std::string>& lines, const std::string& modelFileName,
                         int linesPerPage);

// The model text as the driver split it (ModelLines 1..LineCount).
PrintJob LayoutModelText(const Analysis& a, const std::string& modelFileName, int linesPerPage);

// The page title and the column heading of a printed listing, kind 1..4.
std::string PrintTitle(int kind);
std::string PrintColumnHeading(int kind, bool averageStresses);

// A listing's items, each a group of lines that stays on one page (an empty group prints
// nothing). Every page starts with the title, the heading line, two blank lines, the
// column heading and two blank lines; a page holds linesPerPage - 8 listing lines. A
// linesPerPage too small for the header and the largest group is raised to that.
// No item prints at all: no page.
PrintJob LayoutListing(const std::vector<std::vector<std::string>>& items, const std::string& title,
                       const std::string& columnHeading, const std::string& modelFileName,
                       int linesPerPage);

// The items of a result listing in print layout, in listing order (ForEachResultItem):
// the grid ids for kinds 1 and 2, beam positions for 3, quad positions for 4.
std::vector<std::vector<std::string>> ResultItems(const Analysis& a, int kind,
                                                  bool averageStresses);

// A result listing, kind 1..4, as printed.
PrintJob LayoutResults(const Analysis& a, int kind, bool averageStresses,
                       const std::string& modelFileName, int linesPerPage);

// The printer chosen most recently in this run of the program. The model text always
// lets the user choose; a result listing asks only while no printer has been chosen.
class PrinterSelection
{
public:
    enum class Printout
    {
        ModelText,
        Results,
    };

    bool MustAsk(Printout what) const { return what == Printout::ModelText || name_.empty(); }
    // The user's choice in the print dialog. An empty name (for instance output to a
    // file) keeps nothing, so the next listing asks again.
    void Chosen(const std::string& printerName) { name_ = printerName; }
    const std::string& PrinterName() const { return name_; }

private:
    std::string name_;
};

} // namespace tavu

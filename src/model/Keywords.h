#pragma once
// The keywords and options of the model and load records, recognised case-insensitively.

#include <cstddef>
#include <string_view>
#include <vector>

namespace tavu {

enum class Keyword
{
    None, // no word at all
    Other,
    Grid,
    Beam,
    Quad,
    Prop,
    Matl,
    Dofs,
    Ract,
    Sprg,
    Nseq,
    EndModel,
    Subcase,
    Load,
    Disp,
    Grav,
    Bload,
    Binit,
    Btemp,
    Qload,
    Qtemp,
};

enum class Option
{
    None, // no second word
    Other,
    Polar,
    Eq,
    Pin,
    Bend,
    Curv,
    Strain,
    Shear,
    Def,
    Thru,
};

Keyword KeywordOf(std::string_view word);
Option OptionOf(std::string_view word);

// SUBCASE and the loads: the records of the load section.
inline bool IsLoadKeyword(Keyword k)
{
    return k >= Keyword::Subcase;
}

// Whether a record with keyword k reads the option o (no option always fits). A record
// without a keyword of its own takes any option: it is reported for its keyword.
bool TakesOption(Keyword k, Option o);

// GRID, BEAM, QUAD, PROP and MATL: the records of the element part of the model section.
inline bool IsElementKeyword(Keyword k)
{
    return k == Keyword::Grid || k == Keyword::Beam || k == Keyword::Quad || k == Keyword::Prop ||
           k == Keyword::Matl;
}

// The parts of a model line the editor colours.
enum class LinePart
{
    Keyword, // a known record keyword
    Option,  // a known option word right after it
    Number,
    Comment, // from the first "$" to the end of the line
    Unknown, // a record without a known keyword: from its first field to its last
};

struct LineSpan
{
    LinePart part;
    std::size_t start = 0; // byte offset in the line
    std::size_t length = 0;
    bool operator==(const LineSpan&) const = default;
};

// The coloured parts of one line, left to right, its fields cut as the reader cuts them.
// Other words, ignored fields and blanks get no span.
std::vector<LineSpan> ClassifyLine(std::string_view line);

} // namespace tavu

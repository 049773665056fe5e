#pragma once
// The keywords and options of the model and load records, recognised case-insensitively.

#include <string_view>

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

} // namespace tavu

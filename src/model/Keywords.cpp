#include "model/Keywords.h"

#include "model/Tokenizer.h"

namespace tavu {

Keyword KeywordOf(std::string_view word)
{
    if (word.empty())
        return Keyword::None;
    // Dispatch on the length first: most words are rejected or found with one compare.
    switch (word.size()) {
    case 4:
        if (WordIs(word, "GRID"))
            return Keyword::Grid;
        if (WordIs(word, "BEAM"))
            return Keyword::Beam;
        if (WordIs(word, "QUAD"))
            return Keyword::Quad;
        if (WordIs(word, "PROP"))
            return Keyword::Prop;
        if (WordIs(word, "MATL"))
            return Keyword::Matl;
        if (WordIs(word, "DOFS"))
            return Keyword::Dofs;
        if (WordIs(word, "RACT"))
            return Keyword::Ract;
        if (WordIs(word, "SPRG"))
            return Keyword::Sprg;
        if (WordIs(word, "NSEQ"))
            return Keyword::Nseq;
        if (WordIs(word, "LOAD"))
            return Keyword::Load;
        if (WordIs(word, "DISP"))
            return Keyword::Disp;
        if (WordIs(word, "GRAV"))
            return Keyword::Grav;
        break;
    case 5:
        if (WordIs(word, "BLOAD"))
            return Keyword::Bload;
        if (WordIs(word, "BINIT"))
            return Keyword::Binit;
        if (WordIs(word, "BTEMP"))
            return Keyword::Btemp;
        if (WordIs(word, "QLOAD"))
            return Keyword::Qload;
        if (WordIs(word, "QTEMP"))
            return Keyword::Qtemp;
        break;
    case 7:
        if (WordIs(word, "SUBCASE"))
            return Keyword::Subcase;
        break;
    case 8:
        if (WordIs(word, "ENDMODEL"))
            return Keyword::EndModel;
        break;
    default:
        break;
    }
    return Keyword::Other;
}

Option OptionOf(std::string_view word)
{
    if (word.empty())
        return Option::None;
    if (WordIs(word, "POLAR"))
        return Option::Polar;
    if (WordIs(word, "EQ"))
        return Option::Eq;
    if (WordIs(word, "PIN"))
        return Option::Pin;
    if (WordIs(word, "BEND"))
        return Option::Bend;
    if (WordIs(word, "CURV"))
        return Option::Curv;
    if (WordIs(word, "STRAIN"))
        return Option::Strain;
    if (WordIs(word, "SHEAR"))
        return Option::Shear;
    if (WordIs(word, "DEF"))
        return Option::Def;
    if (WordIs(word, "THRU"))
        return Option::Thru;
    return Option::Other;
}

} // namespace tavu

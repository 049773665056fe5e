#include "model/Keywords.h"

#include "model/Tokenizer.h"

#include <algorithm>

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

bool TakesOption(Keyword k, Option o)
{
    if (o == Option::None)
        return true;
    switch (k) {
    case Keyword::None:
    case Keyword::Other:
        return true;
    case Keyword::Grid:
        return o == Option::Polar || o == Option::Eq;
    case Keyword::Beam:
        return o == Option::Pin || o == Option::Bend || o == Option::Curv;
    case Keyword::Matl:
        return o == Option::Strain || o == Option::Shear;
    case Keyword::Dofs:
        return o == Option::Def || o == Option::Thru;
    case Keyword::Ract:
    case Keyword::Sprg:
    case Keyword::Load:
    case Keyword::Disp:
    case Keyword::Grav:
    case Keyword::Bload:
    case Keyword::Binit:
    case Keyword::Btemp:
    case Keyword::Qload:
    case Keyword::Qtemp:
        return o == Option::Thru;
    default: // QUAD, PROP, NSEQ, ENDMODEL, SUBCASE
        return false;
    }
}

std::vector<LineSpan> ClassifyLine(std::string_view line)
{
    std::vector<LineSpan> spans;
    const std::string_view record = RecordText(line);
    // The keyword is the first word wherever it stands, as the reader takes it.
    std::string_view keyword;
    std::size_t first = record.size(), last = 0; // the record's extent
    ForEachField(record, [&](std::string_view field, std::size_t at) {
        first = std::min(first, at);
        last = at + field.size();
        if (keyword.empty() && KindOfField(field) == FieldKind::Word)
            keyword = field;
        return true;
    });
    const Keyword k = KeywordOf(keyword);
    if (k == Keyword::None || k == Keyword::Other) {
        if (first < last)
            spans.push_back({LinePart::Unknown, first, last - first});
    } else {
        int words = 0;
        ForEachField(record, [&](std::string_view field, std::size_t at) {
            const FieldKind kind = KindOfField(field);
            if (kind == FieldKind::Number)
                spans.push_back({LinePart::Number, at, field.size()});
            else if (kind == FieldKind::Word && ++words == 1)
                spans.push_back({LinePart::Keyword, at, field.size()});
            else if (kind == FieldKind::Word && words == 2 && OptionOf(field) != Option::Other)
                spans.push_back({LinePart::Option, at, field.size()});
            return true;
        });
    }
    if (const std::size_t mark = line.find('$'); mark != std::string_view::npos)
        spans.push_back({LinePart::Comment, mark, line.size() - mark});
    return spans;
}

} // namespace tavu

#include "model/PreScan.h"

#include "common/Numbers.h"
#include "model/Diagnostics.h"
#include "model/Keywords.h"

#include <algorithm>
#include <cmath>

namespace tavu {

namespace {

enum class FieldUse
{
    RecordId,  // indexes an id map or a property table: 0..MaxModelId
    Reference, // names a grid, element, property or material: -MaxModelId..MaxModelId
    Count,     // a flag, an edge or a subcase number: any 32-bit value
};

bool FieldIsBad(const Record& rec, int i, FieldUse use)
{
    // Rounded as RoundToInt rounds; NaN fails the range test as well.
    const double rounded = std::nearbyint(rec.N(i));
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return true;
    const int r = static_cast<int>(rounded);
    switch (use) {
    case FieldUse::RecordId:
        return r < 0 || r > MaxModelId;
    case FieldUse::Reference:
        return r < -MaxModelId || r > MaxModelId;
    case FieldUse::Count:
        return false;
    }
    return false;
}

bool AnyBad(const Record& rec, int first, int last, FieldUse use)
{
    for (int i = first; i <= last; ++i)
        if (FieldIsBad(rec, i, use))
            return true;
    return false;
}

// Records with an id (or a THRU range of ids) in number 1, and optional further integer
// fields after the range. The range of a load record sizes nothing: the load step clips it
// and says so.
bool RangeIsBad(const Record& rec, bool thru, int countFields, bool clipped = false)
{
    const int last = thru ? 2 : 1;
    return (!(thru && clipped) && AnyBad(rec, 1, last, FieldUse::Reference)) ||
           AnyBad(rec, last + 1, last + countFields, FieldUse::Count);
}

} // namespace

bool HasBadIntegerField(const Record& rec)
{
    return HasBadIntegerField(rec, KeywordOf(rec.Word[1]));
}

bool HasBadIntegerField(const Record& rec, Keyword kw)
{
    const Option opt = OptionOf(rec.Word[2]);
    const bool thru = opt == Option::Thru;
    switch (kw) {
    case Keyword::Grid:
        return FieldIsBad(rec, 1, FieldUse::RecordId) ||
               (opt == Option::Eq && FieldIsBad(rec, 2, FieldUse::Reference)) ||
               (opt == Option::Polar && FieldIsBad(rec, 4, FieldUse::Reference));
    case Keyword::Beam:
        return FieldIsBad(rec, 1, FieldUse::RecordId) || AnyBad(rec, 2, 5, FieldUse::Reference);
    case Keyword::Quad:
        return FieldIsBad(rec, 1, FieldUse::RecordId) || AnyBad(rec, 2, 7, FieldUse::Reference);
    case Keyword::Prop:
    case Keyword::Matl:
        return FieldIsBad(rec, 1, FieldUse::RecordId);
    case Keyword::Dofs:
        if (opt == Option::Def)
            return AnyBad(rec, 1, 3, FieldUse::Count);
        return RangeIsBad(rec, thru, 3);
    case Keyword::Ract:
    case Keyword::Sprg:
        return RangeIsBad(rec, thru, 0);
    case Keyword::Load:
    case Keyword::Disp:
    case Keyword::Bload:
    case Keyword::Binit:
    case Keyword::Btemp:
    case Keyword::Qtemp:
        return RangeIsBad(rec, thru, 0, true);
    case Keyword::Qload:
        return RangeIsBad(rec, thru, 1, true);
    case Keyword::Nseq:
        return AnyBad(rec, 1, rec.nNumbers, FieldUse::Reference);
    case Keyword::Subcase:
        return FieldIsBad(rec, 1, FieldUse::Count);
    default:
        return false;
    }
}

namespace {

// Counts of the whole text; committed to the store only when the scan succeeds.
struct ScanCounts
{
    int nGrids = 0, nBeams = 0, nQuads = 0, nSprg = 0, nRact = 0;
    int maxGrid = 0, maxBeam = 0, maxQuad = 0, maxProp = 0, maxMatl = 0;
    bool endModelSeen = false;
};

void CountRecord(ScanCounts& c, Keyword kw, int id)
{
    switch (kw) {
    case Keyword::Grid:
        ++c.nGrids;
        c.maxGrid = std::max(c.maxGrid, id);
        break;
    case Keyword::Beam:
        ++c.nBeams;
        c.maxBeam = std::max(c.maxBeam, id);
        break;
    case Keyword::Quad:
        ++c.nQuads;
        c.maxQuad = std::max(c.maxQuad, id);
        break;
    case Keyword::Prop:
        c.maxProp = std::max({c.maxProp, id, 1});
        break;
    case Keyword::Matl:
        c.maxMatl = std::max({c.maxMatl, id, 1});
        break;
    case Keyword::Sprg:
        ++c.nSprg;
        break;
    case Keyword::Ract:
        ++c.nRact;
        break;
    case Keyword::EndModel:
        c.endModelSeen = true;
        break;
    default:
        break;
    }
}

// A model needs grids, elements (or springs), properties and materials for its elements,
// restraints and an ENDMODEL line.
void ReportMissingSections(Analysis& a, const ScanCounts& c)
{
    if (c.maxGrid == 0)
        Diagnose(a, Msg::NoGrids, 0, 0);
    // The largest ids are never negative but may be any int after a bad record: they are
    // tested one by one, never added.
    const bool elements = c.maxQuad != 0 || c.maxBeam != 0;
    if (!elements && c.nSprg == 0)
        Diagnose(a, Msg::NoElements, 0, 0);
    if (elements && c.maxProp == 0)
        Diagnose(a, Msg::NoProperties, 0, 0);
    if (elements && c.maxMatl == 0)
        Diagnose(a, Msg::NoMaterials, 0, 0);
    if (c.nSprg + c.nRact == 0)
        Diagnose(a, Msg::NoRestraints, 0, 0);
    if (!c.endModelSeen)
        Diagnose(a, Msg::NoEndModel, 0, 0);
}

// Counts and largest ids into the store, with tables of those sizes.
void SizeStore(ModelStore& m, const ScanCounts& c)
{
    m.nGrids = c.nGrids;
    m.nBeams = c.nBeams;
    m.nQuads = c.nQuads;
    m.nSprgRecords = c.nSprg;
    m.maxGridId = c.maxGrid;
    m.maxBeamId = c.maxBeam;
    m.maxQuadId = c.maxQuad;
    m.maxPropId = c.maxProp;
    m.maxMatlId = c.maxMatl;
    m.Beams.Create(c.nBeams);
    m.Quads.Create(c.nQuads);
    m.Grids.Create(c.nGrids);
    m.GridIndex.Create(c.maxGrid, c.nGrids);
    m.BeamIndex.Create(c.maxBeam, c.nBeams);
    m.QuadIndex.Create(c.maxQuad, c.nQuads);
}

} // namespace

void PreScanModel(Analysis& a)
{
    ScanCounts counts;
    ClearDiagnostics(a);
    a.State.ReadWarnings.clear();
    a.State.LoadWarnings.clear();
    a.Summary.ReadText.clear();
    a.Summary.LogText.clear();
    a.State.TransformFlag = 0;

    Record rec;
    const int lastLine = a.Text.LineCount;
    for (int i = 1; i <= lastLine; ++i) {
        const std::string_view text = RecordText(a.Text.Line(i));
        if (text.empty())
            continue;
        SplitFields(text, 10, 2, rec);
        // One "Bad record" per line: an overlong line, or an id no table can be sized by.
        const Keyword kw = KeywordOf(rec.Word[1]);
        if (rec.nWords < 0 || HasBadIntegerField(rec, kw))
            Diagnose(a, Msg::BadRecord, 0, i);
        CountRecord(counts, kw, RoundToInt(rec.N(1)));
    }

    // A bad record above may have given an id that cannot size a table; the counts are
    // only used when no diagnostic was raised.
    ReportMissingSections(a, counts);

    // Whatever happens, the store never keeps tables of an earlier run under the counts of
    // this one: it is rebuilt empty, and sized only when the scan succeeded.
    a.Model = ModelStore();
    a.Profile = StiffnessProfile();
    a.System = EquationSystem();
    a.Quad = QuadWork();
    a.LoadScalars.fill(0.0);
    a.LoadScalars[0] = 1.0;

    if (!a.State.FatalText.empty()) {
        a.Summary.ReadText = a.State.FatalText + CRLF + "Fatal error... Done processing model";
        SizeStore(a.Model, ScanCounts());
        return;
    }
    SizeStore(a.Model, counts);
}

} // namespace tavu

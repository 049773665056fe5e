#include "model/Diagnostics.h"

#include "common/Numbers.h"

#include <array>

namespace tavu {

namespace {

// A message: text before the first number, between the two numbers and after them. A
// message with fewer than two numbers has no `between`.
struct MessageText
{
    Msg code;
    int numbers; // 0, 1 or 2
    const char* before;
    const char* between;
    const char* after;
};

// The likely cause of results that are not finite.
constexpr const char* LimitsHint =
    ": check loads, temperatures and properties of magnitude near the limits of the numbers";

constexpr std::array<MessageText, 42> Messages{{
    {Msg::GridEquateMissing, 1, "... Grid equate", "", " not found"},
    {Msg::PolarCenterMissing, 1, "... Polar center grid", "", " not found"},
    {Msg::PolarCenterNotCartesian, 1, "... Polar center grid", "", " not cartesian"},
    {Msg::GridNumberMissing, 1, "... Grid number", "", " not found"},
    {Msg::PropIdOutOfRange, 1, "... Prop", "", " not found"},
    {Msg::MatlIdOutOfRange, 1, "... Matl", "", " not found"},
    {Msg::DuplicateGrid, 1, "... Grid", "", " a duplicate"},
    {Msg::BadRecord, 0, "... Bad record... check syntax", "", ""},
    {Msg::BeamGridMissing, 2, "Grid", " of beam", " not found"},
    {Msg::QuadGridMissing, 2, "Grid", " of quad", " not found"},
    {Msg::BeamPropMissing, 1, "PROP missing from beam", "", ""},
    {Msg::BeamMatlMissing, 1, "MATL missing from beam", "", ""},
    {Msg::QuadPropMissing, 1, "PROP missing from quad", "", ""},
    {Msg::QuadMatlMissing, 1, "MATL missing from quad", "", ""},
    {Msg::NoPropRecord, 0, "No PROP record found", "", ""},
    {Msg::NoMatlRecord, 0, "No MATL record found", "", ""},
    {Msg::InputOrder, 1, "Input order is wrong for record", "", ""},
    {Msg::Resequence, 0, "Must re-sequence all grids consecutively", "", ""},
    {Msg::NoConstraints, 0, "Must include constraints (RACT or SPRG)", "", ""},
    {Msg::QuadNotCounterClockwise, 1, "Quad", "", " grids not counter-clockwise order"},
    {Msg::TooManySubcases, 1, "Number of subcases exceeds maximum of", "", ""},
    {Msg::NoGrids, 0, "No grids found (GRID)", "", ""},
    {Msg::NoElements, 0, "No elements found (BEAM, QUAD)", "", ""},
    {Msg::NoProperties, 0, "No properties found (PROP)", "", ""},
    {Msg::NoMaterials, 0, "No materials found (MATL)", "", ""},
    {Msg::NoRestraints, 0, "No restraints found (RACT, SPRG)", "", ""},
    {Msg::NoEndModel, 0, "ENDMODEL not found", "", ""},
    {Msg::StiffnessTooLarge, 1, "Stiffness matrix too large: more than", "", " terms"},
    {Msg::NumberTooLarge, 0, "... Number too large", "", ""},
    {Msg::BeamNotFinite, 1, "Beam", "",
     " stiffness not finite: check its grids, offsets, PROP and MATL"},
    {Msg::QuadNotFinite, 1, "Quad", "", " stiffness not finite: check its grids, PROP and MATL"},
    {Msg::BeamLoadNotFinite, 1, "Beam", "",
     " load not finite: check its BLOAD, BINIT, BTEMP and GRAV"},
    {Msg::QuadLoadNotFinite, 1, "Quad", "", " load not finite: check its QLOAD, QTEMP and GRAV"},
    {Msg::QuadEdgeZeroLength, 2, "Quad", " edge", " of zero length under QLOAD"},
    {Msg::SolutionNotFiniteAtGrid, 1, "Solution is not finite at grid", "", LimitsHint},
    {Msg::SolutionNotFiniteAtBeam, 1, "Solution is not finite at beam", "", LimitsHint},
    {Msg::SolutionNotFiniteAtQuad, 1, "Solution is not finite at quad", "", LimitsHint},
    {Msg::ErrorMeasureNotFinite, 0, "Solution error measure not finite", "", LimitsHint},
    {Msg::NoMemoryForModel, 0, "Not enough memory for the model", "", ""},
    {Msg::NoMemoryForStiffness, 0, "Not enough memory for the stiffness matrix", "", ""},
    {Msg::NoMemoryForLoadCase, 0, "Not enough memory for the load case", "", ""},
    {Msg::NoMemoryForListings, 0, "Not enough memory for the result listings", "", ""},
}};

// The messages about one record echo its line first.
bool EchoesLine(Msg code)
{
    return static_cast<int>(code) <= static_cast<int>(Msg::BadRecord) ||
           code == Msg::NumberTooLarge;
}

} // namespace

std::string DiagnosticMessage(Msg code, int first, int second)
{
    for (const MessageText& m : Messages) {
        if (m.code != code)
            continue;
        // An order message without a record names none.
        if (code == Msg::InputOrder && first == 0)
            return "Input order is wrong";
        std::string text = m.before;
        if (m.numbers >= 1)
            text += NumberText(first);
        if (m.numbers == 2)
            text += m.between + NumberText(second);
        return text + m.after;
    }
    return std::string();
}

void Diagnose(Analysis& a, Msg code, int first, int second)
{
    std::string& fatal = a.State.FatalText;
    if (EchoesLine(code)) {
        fatal += ModelLine(a, second);
        fatal += CRLF;
    }
    fatal += DiagnosticMessage(code, first, second);
    fatal += CRLF;
}

void CopyDiagnosticsToLog(Analysis& a, std::size_t from)
{
    const std::string& fatal = a.State.FatalText;
    while (from < fatal.size()) {
        std::size_t end = fatal.find(CRLF, from);
        if (end == std::string::npos)
            end = fatal.size();
        AppendLine(a.Summary.LogText, fatal.substr(from, end - from));
        from = end + 2;
    }
}

} // namespace tavu

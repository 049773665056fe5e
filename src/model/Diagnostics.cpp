#include "model/Diagnostics.h"

#include "common/Numbers.h"

#include <array>

namespace tavu {

namespace {

// A message: text before the first number, between the two numbers and after them. A
// message without a number has only `before`; one with a single number no `between`.
struct MessageText
{
    Msg code;
    int numbers; // 0, 1 or 2
    const char* before;
    const char* between;
    const char* after;
};

constexpr std::array<MessageText, 29> Messages{{
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
    {Msg::PinBeamAxialLoad, 1, "Axial load not allowed on PIN beam", "", ""},
}};

// The messages about one record echo its line first.
bool EchoesLine(Msg code)
{
    return static_cast<int>(code) <= static_cast<int>(Msg::BadRecord);
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

} // namespace tavu

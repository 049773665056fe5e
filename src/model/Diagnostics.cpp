#include "model/Diagnostics.h"

#include "common/Numbers.h"
#include "model/Tokenizer.h"

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
    bool echo = false; // a message about a record: its line is shown above it
};

// The likely cause of results that are not finite.
constexpr const char* LimitsHint =
    ": check loads, temperatures and properties of magnitude near the limits of the numbers";

constexpr std::array<MessageText, 46> Messages{{
    {Msg::GridEquateMissing, 1, "... Grid equate", "", " not found", true},
    {Msg::PolarCenterMissing, 1, "... Polar center grid", "", " not found", true},
    {Msg::PolarCenterNotCartesian, 1, "... Polar center grid", "", " not cartesian", true},
    {Msg::GridNumberMissing, 1, "... Grid number", "", " not found", true},
    {Msg::PropIdOutOfRange, 1, "... Prop", "", " not found", true},
    {Msg::MatlIdOutOfRange, 1, "... Matl", "", " not found", true},
    {Msg::DuplicateGrid, 1, "... Grid", "", " a duplicate", true},
    {Msg::BadRecord, 0, "... Bad record... check syntax", "", "", true},
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
    {Msg::DuplicateBeam, 1, "... Beam", "", " a duplicate", true},
    {Msg::DuplicateQuad, 1, "... Quad", "", " a duplicate", true},
    {Msg::GridCircular, 1, "... Grid", "", " refers back to itself", true},
    {Msg::PinBeamAxialLoad, 1, "Axial load not allowed on PIN beam", "", "", false},
    {Msg::NumberTooLarge, 0, "... Number too large", "", "", true},
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
    for (const MessageText& m : Messages)
        if (m.code == code)
            return m.echo;
    return false;
}

struct WarningText
{
    Warn code;
    const char* text;
};

constexpr std::array<WarningText, 11> Warnings{{
    {Warn::Tab, "... TAB read as a blank"},
    {Warn::NumberWithText, "... Number {w} read as{1}"},
    {Warn::UnknownOption, "... Option {w} ignored"},
    {Warn::NotLoadRecord, "... Not a load record... ignored"},
    {Warn::NotFound, "... {w}{1} not found... ignored"},
    {Warn::NoneInRange, "... No {w} in{1} THRU{2}... ignored"},
    {Warn::PartlyInRange, "...{1} of{2} {w}s in the range not found"},
    {Warn::RangeClipped, "... Range clipped to{1} THRU{2}"},
    {Warn::GravityThru, "... GRAV with THRU added{1} times"},
    {Warn::SubcaseWithoutScalar, "... Subcase{1} has no scalar... its loads left out"},
    {Warn::ExtraScalars, "Scalars given:{1}, subcases:{2}... extra scalars ignored"},
}};

} // namespace

std::string DiagnosticMessage(Msg code, long long first, long long second)
{
    for (const MessageText& m : Messages) {
        if (m.code != code)
            continue;
        // An order message without a record names none.
        if (code == Msg::InputOrder && first == 0)
            return "Input order is wrong";
        std::string text = m.before;
        if (m.numbers >= 1)
            text += NumberText(static_cast<double>(first));
        if (m.numbers == 2)
            text += m.between + NumberText(static_cast<double>(second));
        return text + m.after;
    }
    return std::string();
}

std::string WarningMessage(Warn code, double first, double second, std::string_view word)
{
    for (const WarningText& w : Warnings) {
        if (w.code != code)
            continue;
        std::string text;
        for (const char* p = w.text; *p != '\0'; ++p) {
            const std::string_view rest(p);
            if (rest.starts_with("{w}"))
                text += word;
            else if (rest.starts_with("{1}"))
                text += NumberText(first);
            else if (rest.starts_with("{2}"))
                text += NumberText(second);
            else {
                text += *p;
                continue;
            }
            p += 2;
        }
        return text;
    }
    return std::string();
}

void AddWarning(std::vector<Warning>& list, int line, Warn code, double first, double second,
                std::string_view word)
{
    list.push_back({line, WarningMessage(code, first, second, word)});
}

std::string WarningLines(const Analysis& a, std::span<const Warning> list)
{
    std::string text;
    int echoed = 0;
    for (const Warning& w : list) {
        if (w.line != 0 && w.line != echoed) {
            echoed = w.line;
            text += ModelLine(a, w.line);
            text += CRLF;
        }
        text += w.text;
        text += CRLF;
    }
    return text;
}

void WarnAboutIds(std::vector<Warning>& list, int line, std::string_view noun, bool range,
                  long long first, long long last, long long found)
{
    const double f = static_cast<double>(first), l = static_cast<double>(last);
    if (!range) {
        if (found == 0) {
            std::string name(noun);
            if (!name.empty() && name[0] >= 'a' && name[0] <= 'z')
                name[0] = static_cast<char>(name[0] - 'a' + 'A');
            AddWarning(list, line, Warn::NotFound, f, 0, name);
        }
        return;
    }
    const long long span = last >= first ? last - first + 1 : 0;
    if (found == 0)
        AddWarning(list, line, Warn::NoneInRange, f, l, noun);
    else if (found < span)
        AddWarning(list, line, Warn::PartlyInRange, static_cast<double>(span - found),
                   static_cast<double>(span), noun);
}

void WarnAboutFields(std::vector<Warning>& list, int line, const Record& rec)
{
    if (rec.hasTab)
        AddWarning(list, line, Warn::Tab);
    for (int i = 0; i < rec.nOddNumbers; ++i) {
        const std::string_view token = rec.OddNumber[static_cast<std::size_t>(i)];
        AddWarning(list, line, Warn::NumberWithText, NumberValue(token), 0, token);
    }
}

namespace {

// The model line a diagnostic is about: the line it echoes, or the record of the grid,
// beam or quad it names; 0 for a message about the model as a whole.
int SubjectLine(const Analysis& a, Msg code, long long first, long long second)
{
    const ModelStore& m = a.Model;
    const auto gridLine = [&m](long long i) {
        return i >= 1 && i <= m.Grids.Last() ? m.Grids(i).line : 0;
    };
    const auto beamLine = [&m](long long b) {
        return b >= 1 && b <= m.Beams.Last() ? m.Beams(b).line : 0;
    };
    const auto quadLine = [&m](long long q) {
        return q >= 1 && q <= m.Quads.Last() ? m.Quads(q).line : 0;
    };
    const auto asLine = [&a](long long n) {
        return n >= 1 && n <= a.Text.LineCount ? static_cast<int>(n) : 0;
    };
    if (EchoesLine(code))
        return asLine(second);
    switch (code) {
    case Msg::InputOrder:
        return asLine(first);
    case Msg::BeamGridMissing:
        return beamLine(BeamIndexOf(m, second));
    case Msg::QuadGridMissing:
        return quadLine(QuadIndexOf(m, second));
    case Msg::PinBeamAxialLoad:
        return beamLine(BeamIndexOf(m, first));
    case Msg::BeamPropMissing:
    case Msg::BeamMatlMissing:
    case Msg::BeamNotFinite:
    case Msg::BeamLoadNotFinite:
    case Msg::SolutionNotFiniteAtBeam:
        return beamLine(first);
    case Msg::QuadPropMissing:
    case Msg::QuadMatlMissing:
    case Msg::QuadNotCounterClockwise:
    case Msg::QuadNotFinite:
    case Msg::QuadLoadNotFinite:
    case Msg::QuadEdgeZeroLength:
    case Msg::SolutionNotFiniteAtQuad:
        return quadLine(first);
    case Msg::SolutionNotFiniteAtGrid:
        return gridLine(first);
    default:
        return 0;
    }
}

} // namespace

void AddDiagnosticText(Analysis& a, std::string message, int line)
{
    a.State.FatalText += message;
    a.State.FatalText += CRLF;
    if (line > 0)
        a.State.FatalLines.push_back({line, std::move(message)});
}

void ClearDiagnostics(Analysis& a)
{
    a.State.FatalText.clear();
    a.State.FatalLines.clear();
}

void Diagnose(Analysis& a, Msg code, long long first, long long second, std::string_view detail)
{
    const int line = SubjectLine(a, code, first, second);
    if (EchoesLine(code)) {
        a.State.FatalText += ModelLine(a, second);
        a.State.FatalText += CRLF;
    }
    std::string message = DiagnosticMessage(code, first, second);
    message += detail;
    AddDiagnosticText(a, std::move(message), line);
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

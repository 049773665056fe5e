#pragma once
// Numbered diagnostics: each appends its message (and for the record messages the echoed
// model line) to FatalText. Any text in FatalText makes the run fail.
//
// Warnings: input that the run reads on without, said with its line so that nothing is
// dropped without a word. They never stop a run.

#include "common/Analysis.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavu {

// The diagnostics by their numbers in the messages' table.
enum class Msg : int
{
    GridEquateMissing = 1,       // first: EQ grid id; second: line
    PolarCenterMissing = 2,      // first: center id; second: line
    PolarCenterNotCartesian = 3, // first: center id; second: line
    GridNumberMissing = 4,       // first: grid number; second: line
    PropIdOutOfRange = 5,        // first: PROP id; second: line
    MatlIdOutOfRange = 6,        // first: MATL id; second: line
    DuplicateGrid = 7,           // first: id; second: line
    BadRecord = 8,               // second: line
    BeamGridMissing = 9,         // first: grid id; second: beam id
    QuadGridMissing = 10,        // first: grid id; second: quad id
    BeamPropMissing = 11,        // first: beam index
    BeamMatlMissing = 12,        // first: beam index
    QuadPropMissing = 13,        // first: quad index
    QuadMatlMissing = 14,        // first: quad index
    NoPropRecord = 15,
    NoMatlRecord = 16,
    InputOrder = 17, // first: line, or 0
    Resequence = 18,
    NoConstraints = 19,
    QuadNotCounterClockwise = 21, // first: quad index
    TooManySubcases = 22,         // first: the maximum
    NoGrids = 23,
    NoElements = 24,
    NoProperties = 25,
    NoMaterials = 26,
    NoRestraints = 27,
    NoEndModel = 28,
    StiffnessTooLarge = 29,       // first: the largest number of terms
    DuplicateBeam = 30,           // first: beam id; second: line
    DuplicateQuad = 31,           // first: quad id; second: line
    GridCircular = 32,            // first: grid id; second: line of its POLAR or EQ record
    PinBeamAxialLoad = 33,        // first: beam id
    NumberTooLarge = 34,          // second: line
    BeamNotFinite = 35,           // first: beam index
    QuadNotFinite = 36,           // first: quad index
    BeamLoadNotFinite = 37,       // first: beam index
    QuadLoadNotFinite = 38,       // first: quad index
    QuadEdgeZeroLength = 39,      // first: quad index; second: edge
    SolutionNotFiniteAtGrid = 40, // first: grid index
    SolutionNotFiniteAtBeam = 41, // first: beam index
    SolutionNotFiniteAtQuad = 42, // first: quad index
    ErrorMeasureNotFinite = 43,
    NoMemoryForModel = 44,
    NoMemoryForStiffness = 45,
    NoMemoryForLoadCase = 46,
    NoMemoryForListings = 47,
};

// The message of a diagnostic, without the echoed line and without the line end.
std::string DiagnosticMessage(Msg code, long long first, long long second);

// Appends the diagnostic to a.State.FatalText: for a message about a record, the whole
// text of model line `second` and CR LF first; then the message, `detail` (what the
// message's own words leave out, such as amounts) and CR LF.
void Diagnose(Analysis& a, Msg code, long long first, long long second,
              std::string_view detail = {});

// Appends a message and CR LF to FatalText. A message about model line `line` (> 0) is
// kept with its line in FatalLines, so that a report can lead back to the record.
void AddDiagnosticText(Analysis& a, std::string message, int line);

// Empties FatalText and the lines its messages are about.
void ClearDiagnostics(Analysis& a);

// The decomposition and load steps show only their log: the lines FatalText gained from
// position `from` on are appended to LogText as well.
void CopyDiagnosticsToLog(Analysis& a, std::size_t from);

// The warnings. In the texts, {w} stands for the word, {1} and {2} for the two numbers
// (written by NumberText, so with a leading blank).
enum class Warn
{
    Tab,                  // a tab between fields
    NumberWithText,       // word: the token; first: the value read
    UnknownOption,        // word: the option
    NotLoadRecord,        // a keyword that is not a load keyword, after ENDMODEL
    NotFound,             // word: Grid, Beam, Quad or Edge; first: its number
    NoneInRange,          // word: grid, beam or quad; first..second: the range
    PartlyInRange,        // word: as above; first of second ids name none
    RangeClipped,         // first..second: the range as used
    GravityThru,          // first: how many times the record was added
    SubcaseWithoutScalar, // first: the subcase number
    ExtraScalars,         // first: scalars given; second: subcases
};

std::string WarningMessage(Warn code, double first = 0, double second = 0,
                           std::string_view word = {});

// Adds a warning about model line `line` (0: about no line) to the list.
void AddWarning(std::vector<Warning>& list, int line, Warn code, double first = 0,
                double second = 0, std::string_view word = {});

// The warnings as a report lists them: the echoed model line (once for the warnings of one
// line; none for a warning about no line) and the messages, each followed by CR LF.
std::string WarningLines(const Analysis& a, std::span<const Warning> list);

// A record on the ids first..last of grids, beams or quads (noun: "grid", "beam", "quad"),
// or on the one id `first` when it has no range, that found `found` of them: warns when
// it found none, or not all of a range.
void WarnAboutIds(std::vector<Warning>& list, int line, std::string_view noun, bool range,
                  long long first, long long last, long long found);

// The warnings a record's fields carry: a tab between them, number tokens with text after
// the number. Added to the list in the order of the line.
struct Record;
void WarnAboutFields(std::vector<Warning>& list, int line, const Record& rec);

} // namespace tavu

#pragma once
// Numbered diagnostics: each appends its message (and for the record messages the echoed
// model line) to FatalText. Any text in FatalText makes the run fail.

#include "common/Analysis.h"

#include <string>

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
    NumberTooLarge = 30,          // second: line
    BeamNotFinite = 31,           // first: beam index
    QuadNotFinite = 32,           // first: quad index
    BeamLoadNotFinite = 33,       // first: beam index
    QuadLoadNotFinite = 34,       // first: quad index
    QuadEdgeZeroLength = 35,      // first: quad index; second: edge
    SolutionNotFiniteAtGrid = 36, // first: grid index
    SolutionNotFiniteAtBeam = 37, // first: beam index
    SolutionNotFiniteAtQuad = 38, // first: quad index
    ErrorMeasureNotFinite = 39,
    NoMemoryForModel = 40,
    NoMemoryForStiffness = 41,
    NoMemoryForLoadCase = 42,
    NoMemoryForListings = 43,
};

// The message of a diagnostic, without the echoed line and without the line end.
std::string DiagnosticMessage(Msg code, int first, int second);

// Appends the diagnostic to a.State.FatalText: for a message about a record, the whole
// text of model line `second` and CR LF first; then the message and CR LF.
void Diagnose(Analysis& a, Msg code, int first, int second);

// The decomposition and load steps show only their log: the lines FatalText gained from
// position `from` on are appended to LogText as well.
void CopyDiagnosticsToLog(Analysis& a, std::size_t from);

} // namespace tavu

#pragma once

#include "common/Analysis.h"

namespace tavu {

// Reads the model section into the ModelStore: the record pass, then (when it found
// nothing fatal) the grid, beam and quad passes, the constraint pass and the numbering of
// the equations. Returns true when the numbering ran (the profile can then be built);
// diagnostics of the passes after the record pass are in FatalText either way.
//
// Besides the diagnostics of the format, the record pass reports a GRID record whose id
// is outside 1..nGrids (8) or repeats an earlier one (7): the numbering visits ids
// 1..nGrids and needs each exactly once. A BEAM or QUAD id below 1 is a bad record, a
// repeated one a duplicate (30, 31). Warnings go to ReadWarnings, in line order.
bool ReadModel(Analysis& a);

// The model report: the six count lines, FatalText framed by empty lines when it is not
// empty, the warnings after an empty line, and "Done processing model". Sets Stage to 1
// when FatalText is empty.
void ComposeReadText(Analysis& a, long long stiffnessCount);

} // namespace tavu

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
// 1..nGrids and needs each exactly once.
bool ReadModel(Analysis& a);

// The model report: the six count lines, FatalText framed by empty lines when it is not
// empty, and "Done processing model". Sets Stage to 1 when FatalText is empty.
void ComposeReadText(Analysis& a, long long stiffnessCount);

} // namespace tavu

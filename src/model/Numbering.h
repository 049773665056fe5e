#pragma once
// The second half of the model reader: the constraint records (DOFS, RACT, SPRG with
// their THRU ranges, NSEQ), the grids with turned axes, and the equation numbering.

#include "common/Analysis.h"

namespace tavu {

// Reads the constraint records from firstLine up to ENDMODEL (a.State.EndModelLine),
// then numbers the equations: each grid's equation(1..3) becomes 0 (no dof), 1..NEQ
// (free), -1..-NEQ (prescribed displacement) or NEQ+1..DOFTOTAL (restrained); sets the
// grids' springs and axis codes, NEQ, DOFTOTAL and TransformFlag. Needs grid ids that are exactly
// 1..nGrids, which the record pass guarantees when it succeeds.
void ReadConstraintsAndNumber(Analysis& a, int firstLine);

} // namespace tavu

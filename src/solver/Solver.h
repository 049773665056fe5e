#pragma once
// The decomposition stage: element processing and assembly (element matrices turned into
// their grids' dof axes), the penalty diagonals, and the L*D*Lt decomposition with its
// pivot-ratio check.

#include "common/Analysis.h"

namespace tavu {

// Allocates KValues and adds beam, quad and grounded-spring terms; replaces LogText with
// the element lines. A quad that fails its orientation check, or a beam or quad whose
// stiffness is not finite, adds its diagnostic to FatalText (and to the log), a
// beam-column at its buckling load a line naming it. Returns false when any such message
// was raised: the stage must not go on. A store too large for the memory throws
// std::bad_alloc.
bool AssembleStiffness(Analysis& a);

// The step after assembly for models with turned grids or penalty dofs: the u, v pairs of
// turned grids were turned at the elements and the dofs held in their axes never got an
// equation; this appends "Rotating and eliminating dofs" when TransformFlag is 1 and sets
// the penalty diagonals.
void RotateAndEliminate(Analysis& a);

struct DecompositionOutcome
{
    bool ok = false;
    int equation = 0; // failing equation, when !ok
    double value = 0; // its pivot ratio (or unreduced diagonal), when !ok
};

// Factors the store in place, appends the statistics and the minimum pivot ratio (or the
// failure lines and the rigid-body count) to LogText. Stage is not changed here.
DecompositionOutcome Decompose(Analysis& a);

} // namespace tavu

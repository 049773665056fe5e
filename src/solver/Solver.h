#pragma once
// The decomposition stage: element processing and assembly, rotation and elimination of
// turned grids' dofs, and the L*D*Lt decomposition with its pivot-ratio check.

#include "common/Analysis.h"

namespace tavu {

// Allocates KValues and adds beam, quad and grounded-spring terms; replaces LogText with
// the element lines. A quad that fails its orientation check, or a beam or quad whose
// stiffness is not finite, adds its diagnostic to FatalText (and to the log), a
// beam-column at its buckling load a line naming it. Returns false when any such message
// was raised: the stage must not go on. A store too large for the memory throws
// std::bad_alloc.
bool AssembleStiffness(Analysis& a);

// Turns the u, v pair of every grid with a positive axis code into the grid's axes,
// eliminates the equations restrained in those axes and applies the penalty diagonals.
// Appends "Rotating and eliminating dofs" when TransformFlag is 1. Returns false, with a
// line naming the grid in LogText, when the store has no room to turn a grid's pair.
bool RotateAndEliminate(Analysis& a);

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

#pragma once
// Whether every result a solved load case shows is a finite number: the values of the
// listings (quad corner and averaged values with their principal and von Mises stresses
// included), the stresses at the integration points and the error measure.

#include "common/Analysis.h"

namespace tavu {

// The first place where a result is not finite.
struct NonFiniteResult
{
    enum Where
    {
        None,
        Grid, // a deflection or reaction
        Beam, // an end force
        Quad, // a stress
        ErrorMeasure,
    };
    Where where = None;
    int index = 0; // grid, beam or quad index (position in its table)
};

// Looks at the deflections of every grid, then the beams, the quads, the reactions of
// every grid and the error measure, each in table order, and names the first item with a
// value that is not finite.
NonFiniteResult FirstNonFiniteResult(const Analysis& a);

} // namespace tavu

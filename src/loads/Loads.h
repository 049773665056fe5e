#pragma once
// The load-case stage: load records and element load vectors, back substitution and the
// recovery of forces, stresses, reactions and the error measure.

#include "common/Analysis.h"

namespace tavu {

// Builds the one load vector of the run from every load record after ENDMODEL, each
// scaled by its subcase's entry of LoadScalars; replaces LogText. Returns false when a
// record's load value (times its scalar) or an element's load is not a finite number, or a
// pressure acts on an edge of zero length: each is reported (FatalText and LogText) and
// the loads must not be solved.
bool ReadLoads(Analysis& a);

// The first part of ReadLoads: the load records alone, into the load set (element loads
// per beam and quad, gravity) and the load vector. False when a record's load value is
// not finite (reported, the record left out).
bool ReadLoadRecords(Analysis& a);

// Solves K u = f with the factors in the store; appends to LogText.
void BackSubstitute(Analysis& a);

// Beam end forces, quad stresses, reactions, residuals and the error measure (kept in
// Results.ErrorMeasure); appends "Computing element forces" to LogText. Stage is set to
// Solved by the driver once it has found the results finite.
void RecoverResults(Analysis& a);

// Appends the error measure's lines to LogText: the last lines of a solved load case.
void ReportErrorMeasure(Analysis& a);

} // namespace tavu

#pragma once
// The load-case stage: load records and element load vectors, back substitution and the
// recovery of forces, stresses, reactions and the error measure.

#include "common/Analysis.h"

namespace tavu {

// Builds the one load vector of the run from every load record after ENDMODEL, each
// scaled by its subcase's entry of LoadScalars; replaces LogText.
void ReadLoads(Analysis& a);

// The first part of ReadLoads: the load records alone, into the load set (element loads
// per beam and quad, gravity) and the load vector.
void ReadLoadRecords(Analysis& a);

// Solves K u = f with the factors in the store; appends to LogText.
void BackSubstitute(Analysis& a);

// Beam end forces, quad stresses, reactions, residuals and the error measure (also kept
// in Results.ErrorMeasure); appends to LogText. Stage is set to Solved by the driver.
void RecoverResults(Analysis& a);

} // namespace tavu

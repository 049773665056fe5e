#pragma once

#include "common/Analysis.h"

namespace tavu {

// Counts the record kinds and largest ids of the whole text, checks that the model has
// grids, elements, properties, materials, restraints and ENDMODEL, and creates the
// ModelStore tables at their sizes. Empties FatalText, ReadText and LogText first; on a
// fatal error FatalText is not empty and no table is created.
void PreScanModel(Analysis& a);

} // namespace tavu

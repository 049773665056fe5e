#pragma once

#include "common/Analysis.h"
#include "model/Keywords.h"
#include "model/Tokenizer.h"

namespace tavu {

// Counts the record kinds and largest ids of the whole text, checks that the model has
// grids, elements, properties, materials, restraints and ENDMODEL, and creates the
// ModelStore tables at their sizes. Empties FatalText, ReadText and LogText first; on a
// fatal error FatalText is not empty and no table is created.
void PreScanModel(Analysis& a);

// The largest id or grid number a record may give. Tables are sized by the largest ids,
// so anything larger (or a record id below 0) is a bad record before any table exists.
inline constexpr int MaxModelId = 10000000;

// True when an integer field of the record (an id, a grid number, a flag, an edge or
// subcase number) cannot be used: it does not fit 32 bits, it is an id or grid number
// above MaxModelId or below -MaxModelId, or it is a negative record id of a table that is
// indexed by it (GRID, BEAM, QUAD, PROP, MATL). Applies to model and load records; the
// THRU range of a load record is clipped to +-MaxModelId by the load step instead.
bool HasBadIntegerField(const Record& rec);
bool HasBadIntegerField(const Record& rec, Keyword kw); // kw: the record's keyword

} // namespace tavu

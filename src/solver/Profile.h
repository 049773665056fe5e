#pragma once

#include "common/Analysis.h"

namespace tavu {

// Sets DiagPos, ProfileSize and the column statistics from the element connectivity and
// the equation numbers. Returns false (store left empty) when the profile is too large
// to hold.
bool BuildProfile(Analysis& a);

} // namespace tavu

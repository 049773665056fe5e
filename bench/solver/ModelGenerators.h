#pragma once
// Large model texts for the solver benchmarks.

#include <string>

namespace tavu::bench {

// A cantilever plate of nLong x nShort plane-stress quads, nLong along x and nShort along
// y, fixed along x = 0, loaded down at the free end. Grid ids run along the short side
// first, so the equations are numbered across the plate and the half-bandwidth is about
// 2 * nShort + 5. Free equations: 2 * nLong * (nShort + 1).
std::string CantileverPlateModel(int nShort, int nLong);

// A plane frame of `storeys` storeys and `bays` bays: columns of PROP 1, girders of
// PROP 2, fixed at the base, with a lateral load at every floor. Grid ids run along each
// floor. Free equations: 3 * storeys * (bays + 1).
std::string FrameModel(int storeys, int bays);

} // namespace tavu::bench

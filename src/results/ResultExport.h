#pragma once
// The results as files for other programs: a VTK unstructured grid (XML, ASCII) that
// ParaView and VTK read, and CSV tables with a header row for spreadsheets. Numbers are
// written in shortest round-trip form, so they read back as exactly the values of the run.

#include "common/Analysis.h"

#include <array>
#include <ostream>

namespace tavu {

// The unstructured grid of a solved model: the grids as points in the order of their ids,
// the quads and triangles (in the order of the QUAD lines), then the beams (in the order of
// the BEAM lines) as cells.
//  Point data: "grid" (id), "displacement" (u, v, 0 in x-y, for warping), "rotation",
//    "reaction" (u, v, rotation as the Reactions listing gives them; 0 where none).
//  Cell data: "element" (the QUAD or BEAM id), "stress" (sx, sy, sxy averaged over the
//    integration points, in the axes of the listing), "principal", "von_mises"; "end_a"
//    and "end_b" (axial, shear, moment at each end of a beam). A value that does not apply
//    to a cell is 0.
void WriteVtu(std::ostream& out, const Analysis& a);

// The CSV tables, by result kind (DeflectionsKind .. QuadStressesKind): the rows of the
// listing, corner stresses for the quads, one row per corner.
inline constexpr std::array<const char*, 5> CsvFileNames{"", "deflections.csv", "reactions.csv",
                                                         "beam-forces.csv", "quad-stresses.csv"};
void WriteCsv(std::ostream& out, const Analysis& a, int kind);

} // namespace tavu

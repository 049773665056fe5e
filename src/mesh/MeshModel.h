#pragma once
// A plane mesh made into the text of a model: GRID records with ids 1..n (in the order of
// the mesher's node tags), QUAD records for quadrangles and triangles, counter-clockwise,
// BEAM records for the lines of beam groups, a PROP and a MATL record to fill in for each
// surface and beam group, an NSEQ order that keeps the stiffness profile small, and the
// grids of every point and curve group listed in comments, ready for RACT, SPRG, LOAD and
// QLOAD records.

#include "mesh/MeshData.h"

#include <string>
#include <vector>

namespace tavu::mesh {

// A curve group whose name holds "beam" in any letter case brings its lines in as beams.
bool IsBeamGroup(const MeshGroup& group);

struct ImportedModel
{
    std::string text; // the model file: CR LF after every line
    int nGrids = 0, nQuads = 0, nTriangles = 0, nBeams = 0;
    // Stored stiffness terms, as the model report counts them ("Stiffness elements"), with
    // every dof free: in the NSEQ order, and with the grids numbered by id. -1: not known.
    long long termsInOrder = -1;
    long long termsById = -1;
    std::vector<std::string> summary; // the import report, a line each
};

struct ImportResult
{
    bool ok = false;
    ImportedModel model;
    std::string error; // why the mesh cannot become a model
};

ImportResult ImportMesh(const Mesh& mesh);

// Sorted ids as ranges: "1 THRU 3, 7, 9 THRU 12".
std::string IdRanges(const std::vector<int>& sortedIds);

// The stored stiffness terms of a model text (lines without line ends) as model
// processing counts them; -1 when the model cannot be read that far.
long long StiffnessTerms(const std::vector<std::string>& lines);

} // namespace tavu::mesh

#pragma once
// A plane mesh as a mesher gives it: nodes by their tags, and the elements of each physical
// group. Nothing here depends on the mesher; the Gmsh import fills it, tests build it.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tavu::mesh {

// One element by its nodes' tags: 1 node (a point group's node), 2 (a line), 3 (a triangle)
// or 4 (a quadrangle).
struct MeshCell
{
    std::array<std::size_t, 4> node{};
    int nodes = 0;
};

// A physical group: surfaces (dim 2) give the plane elements, curves (dim 1) lines, points
// (dim 0) single nodes.
struct MeshGroup
{
    int dim = 0;
    int tag = 0;      // the mesher's tag; 0 for the surfaces of a mesh without surface groups
    std::string name; // "" when the group has no name
    std::vector<MeshCell> cells;
};

struct Mesh
{
    std::string source; // the file's name, for the model's heading
    std::vector<std::size_t> nodeTags;
    std::vector<double> x, y, z; // by position in nodeTags
    std::vector<MeshGroup> groups;
    // Plane elements that lie in no surface group of a mesh that has surface groups: like
    // the mesher's own output, the model leaves them out.
    long long leftOut = 0;
};

} // namespace tavu::mesh

#pragma once
// A profile-reducing order of the grids: reverse Cuthill-McKee, each connected part of the
// mesh started from a pseudo-peripheral grid. Plain C++, no mesher needed.

#include <array>
#include <cstddef>
#include <vector>

namespace tavu::mesh {

// Which grids share an element, in compressed rows: the neighbours of grid g (0-based)
// are adjacent[start[g] .. start[g+1]-1], each once, never g itself.
struct GridGraph
{
    std::vector<std::size_t> start{0};
    std::vector<int> adjacent;

    int Size() const { return static_cast<int>(start.size()) - 1; }
    int Degree(int g) const
    {
        return static_cast<int>(start[static_cast<std::size_t>(g) + 1] -
                                start[static_cast<std::size_t>(g)]);
    }
};

// The graph of nGrids grids (0-based) whose elements are given as lists of up to four grids;
// entries below 0 are no grid (a triangle's or a beam's unused corners).
GridGraph BuildGridGraph(int nGrids, const std::vector<std::array<int, 4>>& elements);

// The grids (0-based) in the order their equations should be numbered: a permutation of
// 0..Size()-1. Parts of the mesh that share no element follow one another, and a grid of
// no element forms a part of its own.
std::vector<int> ProfileReducingOrder(const GridGraph& graph);

} // namespace tavu::mesh

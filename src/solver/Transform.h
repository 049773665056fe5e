#pragma once
// Grids with their own dof axes. A grid whose u, v are turned into its axes (axis code 1, 2
// or 3) has them turned in every element matrix before it is added, and a dof held in those
// axes (axis code 1: u, 2: v) has no equation in the system that is assembled and factored.
// The system's numbering and store layout follow from the model's; both factorizations
// assemble and factor the same system.

#include "common/Analysis.h"

#include <array>
#include <vector>

namespace tavu {

// The diagonal that holds a prescribed-displacement dof.
inline constexpr double PenaltyStiffness = 1.0e99;

// The model equations that the system leaves out: the dof held in turned axes of every grid
// with axis code 1 (its u) or 2 (its v), in grid table order.
std::vector<int> HeldInTurnedAxes(const ModelStore& m);

// The system's equation numbers of the grids (0..nGrids), from the model's: the k-th held
// equation (k from 0, in the order given) takes the number NEQ0 - k, NEQ0 being the model's
// NEQ, so it lies just above the system (where restrained dofs lie, with numbers that never
// meet the restrained ones); the other equations close up in their order, penalty dofs
// keeping their sign. Numbers outside 1..NEQ0 stay. Returns the system's NEQ.
int NumberSystemEquations(const ModelStore& m, const std::vector<int>& held,
                          Vec<DofEquations>& equations);

// The system's store layout from the model's profile: the columns of the held equations go,
// and every other column loses the held rows within its active part. DiagPos(1..NEQ+1) and
// ProfileSize of `out` are set; the column statistics stay those of the model's profile.
void ReduceProfile(const StiffnessProfile& model, int neq0, const std::vector<int>& held,
                   StiffnessProfile& out);

// An element matrix over up to 8 dofs, both triangles held, rows and columns 0..n-1.
using ElementMatrix = std::array<std::array<double, 8>, 8>;

// The u, v pairs of an element's dofs that lie at grids turned into their own axes: u at
// `slot`, v at slot + 1, turned by the angle with cosine c and sine s.
struct ElementTurns
{
    struct Pair
    {
        int slot = 0;
        double c = 1, s = 0;
    };
    std::array<Pair, 4> pairs{};
    int count = 0;

    // Takes grid index g's pair at slot when its dofs are turned (axis code above 0).
    void AddGrid(const ModelStore& m, int g, int slot);
};

// K' = T K Tt, T turning each pair by R = [[c, s], [-s, c]] (u' = c u + s v, v' = -s u + c v):
// the element matrix, given in x-y axes, in the dof axes of the element's grids.
void TurnIntoDofAxes(ElementMatrix& k, int n, const ElementTurns& t);

// Adds the upper triangle of k (n x n) to the system's stiffness, dof i at equation eq[i].
void AddElementMatrix(Analysis& a, const ElementMatrix& k, int n, const int* eq);

} // namespace tavu

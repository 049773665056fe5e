// A mesh made into model text: the records read back through the model reader as the mesh,
// the equation order keeps the profile small however the mesher numbered the nodes, and
// meshes that cannot be a model are refused with a reason.

#include "MeshTestSupport.h"
#include "mesh/GridOrder.h"
#include "mesh/MeshModel.h"

#include <algorithm>
#include <numeric>
#include <random>

namespace tavu {
namespace {

using namespace tavu::testing;
using mesh::Mesh;
using mesh::MeshCell;
using mesh::MeshGroup;

TEST(MeshOrder, EveryGridOnceAndNeighboursClose)
{
    struct Case
    {
        const char* what;
        int nGrids;
        std::vector<std::array<int, 4>> elements;
    };
    const std::vector<Case> cases = {
        {"no grids", 0, {}},
        {"a grid of no element", 1, {}},
        {"a path numbered at random",
         6,
         {{4, 1, -1, -1}, {1, 5, -1, -1}, {5, 0, -1, -1}, {0, 3, -1, -1}, {3, 2, -1, -1}}},
        {"two triangles apart and a grid alone", 7, {{0, 5, 2, -1}, {6, 1, 3, -1}}},
    };
    for (const Case& c : cases) {
        const mesh::GridGraph graph = mesh::BuildGridGraph(c.nGrids, c.elements);
        std::vector<int> order = mesh::ProfileReducingOrder(graph);
        std::vector<int> position(static_cast<std::size_t>(c.nGrids), -1);
        for (std::size_t k = 0; k < order.size(); ++k)
            position[static_cast<std::size_t>(order[k])] = static_cast<int>(k);
        std::sort(order.begin(), order.end());
        std::vector<int> all(static_cast<std::size_t>(c.nGrids));
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(order, all) << c.what;
        // A path and a triangle are ordered with no gap between grids of one element.
        for (const auto& e : c.elements)
            for (int i = 0; i < 3 && e[i + 1] >= 0; ++i)
                EXPECT_LE(std::abs(position[e[i]] - position[e[i + 1]]), 2) << c.what;
    }
}

TEST(MeshOrder, ShuffledNodeNumbersKeepTheProfileOfAWellNumberedMesh)
{
    // Numbered across the short side, the strip's profile is as small as it gets.
    const int nx = 40, ny = 4, n = (nx + 1) * (ny + 1);
    const mesh::ImportResult well =
        mesh::ImportMesh(StripMesh(nx, ny, [](int k) { return std::size_t(k + 1); }));
    std::vector<std::size_t> tags(static_cast<std::size_t>(n));
    std::iota(tags.begin(), tags.end(), std::size_t(1));
    std::shuffle(tags.begin(), tags.end(), std::mt19937(7));
    const mesh::ImportResult shuffled = mesh::ImportMesh(
        StripMesh(nx, ny, [&tags](int k) { return tags[static_cast<std::size_t>(k)]; }));
    ASSERT_TRUE(well.ok && shuffled.ok) << well.error << shuffled.error;

    EXPECT_GT(shuffled.model.termsById, 3 * well.model.termsById);
    EXPECT_LE(shuffled.model.termsInOrder, 1.2 * well.model.termsById);
    EXPECT_LE(well.model.termsInOrder, 1.2 * well.model.termsById);
    // Every dof free: 2 per grid, the profile counted as model processing counts it.
    Analysis a;
    ReadModelText(a, FilledModel(TextLines(shuffled.model.text), {"RACT 1 0 0 0"}));
    EXPECT_EQ(a.Model.NEQ, 2 * n);
    EXPECT_EQ(a.Profile.ProfileSize - 2, shuffled.model.termsInOrder);
}

// Nodes 10, 20, ..., 90 at these positions; 70 is a cantilever's tip, 90 on no element.
Mesh MixedMesh()
{
    Mesh m;
    m.source = "mixed.msh";
    const double xy[9][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1},
                             {2, 1}, {4, 1}, {3, 0}, {5, 5}};
    for (std::size_t k = 0; k < 9; ++k) {
        m.nodeTags.push_back(10 * (k + 1));
        m.x.push_back(xy[k][0]);
        m.y.push_back(xy[k][1]);
        m.z.push_back(0.25);
    }
    // A clockwise quadrangle, a triangle each way round, and one of a group with no name
    // whose third side lies on the support.
    m.groups.push_back(MeshGroup{2,
                                 5,
                                 "plate",
                                 {MeshCell{{10, 40, 50, 20}, 4}, MeshCell{{20, 50, 30, 0}, 3},
                                  MeshCell{{30, 60, 50, 0}, 3}}});
    m.groups.push_back(MeshGroup{2, 7, "", {MeshCell{{80, 30, 60, 0}, 3}}});
    m.groups.push_back(MeshGroup{
        1,
        3,
        "support",
        {MeshCell{{10, 20, 0, 0}, 2}, MeshCell{{20, 30, 0, 0}, 2}, MeshCell{{30, 80, 0, 0}, 2}}});
    m.groups.push_back(MeshGroup{1, 9, "Cantilever BEAMS", {MeshCell{{60, 70, 0, 0}, 2}}});
    m.groups.push_back(
        MeshGroup{0, 11, "tip", {MeshCell{{70, 0, 0, 0}, 1}, MeshCell{{90, 0, 0, 0}, 1}}});
    return m;
}

TEST(MeshImport, ModelTextReadsBackAsTheMesh)
{
    const mesh::ImportResult r = mesh::ImportMesh(MixedMesh());
    ASSERT_TRUE(r.ok) << r.error;
    const std::vector<std::string> lines = TextLines(r.model.text);
    EXPECT_EQ(r.model.nGrids, 8);
    EXPECT_EQ(r.model.nQuads, 1);
    EXPECT_EQ(r.model.nTriangles, 3);
    EXPECT_EQ(r.model.nBeams, 1);

    // The placeholders stop a run until they are filled.
    Analysis unfilled;
    EXPECT_FALSE(ProcessModel(unfilled, FilledModel(lines, {"RACT 1 1 1 0"}, {}, false)));
    EXPECT_NE(unfilled.State.FatalText.find("Bad record"), std::string::npos);

    // Supports on the group's grids; the model then processes with no word about it.
    const std::vector<int> support = GroupList(lines, "support", "grids ");
    EXPECT_EQ(support, (std::vector<int>{1, 2, 3, 8}));
    std::vector<std::string> ract;
    for (const int g : support)
        ract.push_back("RACT " + std::to_string(g) + " 1 1 0");
    Analysis a;
    ReadModelText(a, FilledModel(lines, ract));
    EXPECT_TRUE(a.State.FatalText.empty() && a.State.ReadWarnings.empty()) << a.Summary.ReadText;

    const ModelStore& m = a.Model;
    // Grids by node tag, z dropped.
    EXPECT_EQ(m.Grids(GridIndexOf(m, 7)).x, 4);
    EXPECT_EQ(m.Grids(GridIndexOf(m, 8)).x, 3);
    for (int q = 1; q <= m.nQuads; ++q) {
        EXPECT_GT(TwiceQuadArea(a, q), 0) << "quad " << q;
        EXPECT_EQ(m.Quads(q).propId, q <= 3 ? 1 : 2);
        EXPECT_EQ(m.Quads(q).matlId, m.Quads(q).propId);
    }
    EXPECT_EQ(IsTriangle(m.Quads(1)), false);
    EXPECT_EQ(IsTriangle(m.Quads(2)), true);
    EXPECT_EQ(m.Beams(1).gridA, 6);
    EXPECT_EQ(m.Beams(1).gridB, 7);
    EXPECT_EQ(m.Beams(1).propId, 3);
    // Rotations only where beams meet.
    EXPECT_EQ(EquationsOf(a, 5).r, 0);
    EXPECT_NE(EquationsOf(a, 6).r, 0);
    EXPECT_NE(EquationsOf(a, 7).r, 0);

    // Every QLOAD edge of the support is a side between two of its grids, on a side QLOAD
    // loads (a triangle's edges 1 and 2), and every support line has one.
    const std::vector<int> edges =
        GroupList(lines, "support", "quad edges for QLOAD (quad edge): ");
    ASSERT_EQ(edges.size(), 6u);
    for (std::size_t k = 0; k < edges.size(); k += 2) {
        const QuadRow& quad = m.Quads(QuadIndexOf(m, edges[k]));
        const int edge = edges[k + 1];
        ASSERT_TRUE(edge >= 1 && edge <= (IsTriangle(quad) ? 2 : 4)) << edge;
        for (const int corner : {edge, edge % 4 + 1})
            EXPECT_TRUE(std::count(support.begin(), support.end(), quad.grid[corner]))
                << "quad " << edges[k] << " edge " << edge;
    }
    EXPECT_EQ(GroupList(lines, "tip", "grid "), std::vector<int>{7});
    EXPECT_NE(r.model.text.find("(1 node on no element left out)"), std::string::npos);
}

TEST(MeshImport, MeshesThatCannotBeAModelAreRefused)
{
    struct Case
    {
        const char* what;
        std::function<void(Mesh&)> spoil;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"only groups of curves and points",
         [](Mesh& m) {
             std::erase_if(m.groups, [](const MeshGroup& g) { return g.dim != 0 && g.tag != 3; });
         },
         "no elements to import"},
        {"an element names a node that is not there",
         [](Mesh& m) { m.groups[0].cells[0].node[2] = 55; }, "names node 55"},
        {"a node off the plane", [](Mesh& m) { m.z[3] = 0.5; }, "node 40 lies at z = 0.5"},
        {"a node tag twice", [](Mesh& m) { m.nodeTags[8] = 10; }, "node 10 is given twice"},
        {"a position that is not finite", [](Mesh& m) { m.y[1] = NAN; }, "no finite position"},
    };
    for (const Case& c : cases) {
        Mesh m = MixedMesh();
        c.spoil(m);
        const mesh::ImportResult r = mesh::ImportMesh(m);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << c.what << ": " << r.error;
    }
}

TEST(MeshImport, IdRanges)
{
    EXPECT_EQ(mesh::IdRanges({}), "");
    EXPECT_EQ(mesh::IdRanges({4}), "4");
    EXPECT_EQ(mesh::IdRanges({1, 2, 3, 7, 9, 10}), "1 THRU 3, 7, 9 THRU 10");
}

} // namespace
} // namespace tavu

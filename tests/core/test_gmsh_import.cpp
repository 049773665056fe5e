// Meshes read through the Gmsh library: .msh files of formats 2 and 4, ASCII and binary,
// give the model of the mesh they hold; .geo geometry is meshed; what cannot be imported is
// refused with a reason. Built only with Gmsh.

#if defined(TAVU_WITH_GMSH)

#include "MeshTestSupport.h"
#include "mesh/GmshImport.h"
#include "mesh/MeshModel.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gmsh.h>
#include <numeric>
#include <random>

namespace tavu {
namespace {

namespace fs = std::filesystem;
using namespace tavu::testing;

class GmshFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("tavu-gmsh-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    std::string WriteText(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path(name)) << text;
        return Path(name);
    }

    // The strip's quadrangles and its curve group written by Gmsh itself.
    std::string WriteMsh(const std::string& name, const mesh::Mesh& m, double version,
                         bool binary) const
    {
        gmsh::initialize(0, nullptr, false);
        gmsh::option::setNumber("General.Terminal", 0);
        gmsh::model::add("strip");
        // By increasing tag: the writer of format 2 numbers the nodes in the order they came.
        std::vector<std::size_t> order(m.nodeTags.size()), nodeTags;
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::sort(order.begin(), order.end(),
                  [&m](std::size_t a, std::size_t b) { return m.nodeTags[a] < m.nodeTags[b]; });
        std::vector<double> coord;
        for (const std::size_t i : order) {
            nodeTags.push_back(m.nodeTags[i]);
            coord.insert(coord.end(), {m.x[i], m.y[i], m.z[i]});
        }
        gmsh::model::addDiscreteEntity(2, 1);
        gmsh::model::mesh::addNodes(2, 1, nodeTags, coord);
        for (const mesh::MeshGroup& g : m.groups) {
            std::vector<std::size_t> tags, nodes;
            for (const mesh::MeshCell& c : g.cells) {
                tags.push_back(1000000 * g.dim + tags.size() + 1);
                nodes.insert(nodes.end(), c.node.begin(), c.node.begin() + c.nodes);
            }
            if (g.dim == 1)
                gmsh::model::addDiscreteEntity(1, 1);
            gmsh::model::mesh::addElementsByType(1, g.dim == 2 ? 3 : 1, tags, nodes);
            gmsh::model::addPhysicalGroup(g.dim, {1}, g.tag);
            gmsh::model::setPhysicalName(g.dim, g.tag, g.name);
        }
        gmsh::option::setNumber("Mesh.MshFileVersion", version);
        gmsh::option::setNumber("Mesh.Binary", binary ? 1 : 0);
        gmsh::write(Path(name));
        gmsh::finalize();
        return Path(name);
    }

    fs::path dir_;
};

mesh::ImportResult Imported(const std::string& path)
{
    const mesh::MeshRead read = mesh::ReadMeshFile(path);
    EXPECT_EQ(read.failure, mesh::ReadFailure::None) << read.error;
    return mesh::ImportMesh(read.mesh);
}

// The text after its first line, which names the file.
std::string Body(const std::string& text)
{
    return text.substr(text.find('\n') + 1);
}

TEST_F(GmshFiles, EveryMshFormatGivesTheModelOfTheMesh)
{
    const int nx = 30, ny = 5, n = (nx + 1) * (ny + 1);
    std::vector<std::size_t> tags(static_cast<std::size_t>(n));
    std::iota(tags.begin(), tags.end(), std::size_t(1));
    std::shuffle(tags.begin(), tags.end(), std::mt19937(11));
    const mesh::Mesh shuffled =
        StripMesh(nx, ny, [&tags](int k) { return tags[static_cast<std::size_t>(k)]; });
    const mesh::ImportResult expected = mesh::ImportMesh(shuffled);
    ASSERT_TRUE(expected.ok) << expected.error;
    for (const double version : {2.2, 4.1})
        for (const bool binary : {false, true}) {
            const std::string what =
                "format " + std::to_string(version) + (binary ? " binary" : " ASCII");
            const mesh::ImportResult r = Imported(WriteMsh("strip.msh", shuffled, version, binary));
            ASSERT_TRUE(r.ok) << what << ": " << r.error;
            EXPECT_EQ(Body(r.model.text), Body(expected.model.text)) << what;
        }

    // The mesh numbered well across the strip, from a file: the shuffled mesh in its
    // NSEQ order keeps its profile.
    const mesh::ImportResult well = Imported(WriteMsh(
        "well.msh", StripMesh(nx, ny, [](int k) { return std::size_t(k + 1); }), 4.1, false));
    ASSERT_TRUE(well.ok) << well.error;
    EXPECT_LE(expected.model.termsInOrder, 1.2 * well.model.termsById);
    EXPECT_GT(expected.model.termsById, 3 * well.model.termsById);
}

const char* const SquareGeo = "Point(1) = {0, 0, 0, 0.25}; Point(2) = {1, 0, 0, 0.25};\n"
                              "Point(3) = {1, 1, 0, 0.25}; Point(4) = {0, 1, 0, 0.25};\n"
                              "Line(1) = {1, 2}; Line(2) = {2, 3}; Line(3) = {3, 4};\n"
                              "Line(4) = {4, 1}; Curve Loop(1) = {1, 2, 3, 4};\n"
                              "Plane Surface(1) = {1};\n";

TEST_F(GmshFiles, GeometryIsMeshedInQuadsWhereItAsksForThem)
{
    const mesh::ImportResult triangles = Imported(WriteText("tri.geo", SquareGeo));
    ASSERT_TRUE(triangles.ok) << triangles.error;
    EXPECT_GT(triangles.model.nTriangles, 8);
    EXPECT_EQ(triangles.model.nQuads, 0);

    const mesh::ImportResult quads = Imported(
        WriteText("quad.geo", std::string(SquareGeo) + "Recombine Surface{1};\n"
                                                       "Physical Surface(\"sheet\") = {1};\n"
                                                       "Physical Curve(\"left\") = {4};\n"));
    ASSERT_TRUE(quads.ok) << quads.error;
    EXPECT_GT(quads.model.nQuads, 8);
    const std::vector<std::string> lines = TextLines(quads.model.text);
    // The left side's grids: every one at x = 0.
    Analysis a;
    ReadModelText(a, FilledModel(lines, {"RACT 1 0 0 0"}));
    const std::vector<int> left = GroupList(lines, "left", "grids ");
    EXPECT_GE(left.size(), 5u);
    for (const int g : left)
        EXPECT_EQ(a.Model.Grids(GridIndexOf(a.Model, g)).x, 0) << "grid " << g;
    for (int q = 1; q <= a.Model.nQuads; ++q)
        EXPECT_GT(TwiceQuadArea(a, q), 0) << "quad " << q;
}

TEST_F(GmshFiles, WhatCannotBeImportedIsRefusedWithAReason)
{
    // A tetrahedron's mesh, written by Gmsh.
    gmsh::initialize(0, nullptr, false);
    gmsh::option::setNumber("General.Terminal", 0);
    gmsh::model::add("tet");
    gmsh::model::addDiscreteEntity(3, 1);
    gmsh::model::mesh::addNodes(3, 1, {1, 2, 3, 4}, {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1});
    gmsh::model::mesh::addElementsByType(1, 4, {1}, {1, 2, 3, 4});
    gmsh::write(Path("tet.msh"));
    gmsh::finalize();
    fs::create_directory(Path("folder.msh"));

    struct Case
    {
        std::string path;
        mesh::ReadFailure failure;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {WriteText("second.geo", std::string(SquareGeo) + "Mesh.ElementOrder = 2;\n"),
         mesh::ReadFailure::NotImportable, "second-order elements"},
        {Path("tet.msh"), mesh::ReadFailure::NotImportable, "volume mesh"},
        {Path("missing.msh"), mesh::ReadFailure::Unreadable, "No such file"},
        {Path("folder.msh"), mesh::ReadFailure::Unreadable, "is a directory"},
        {WriteText("garbage.msh", "$MeshFormat\n2.2 0 8\n$EndMeshFormat\n$Nodes\n3\n1 0 0 0\n"),
         mesh::ReadFailure::Unreadable, "cannot read"},
        {WriteText("typo.geo", "Point(1) = {0, 0, 0;\n"), mesh::ReadFailure::Unreadable,
         "syntax error"},
        // A triangle naming a node tag beyond 32 bits: Gmsh's reader stops the process that
        // reads it, which must not be this one.
        {WriteText("node-tag.msh", "$MeshFormat\n4.1 0 8\n$EndMeshFormat\n$Entities\n0 0 1 0\n"
                                   "1 0 0 0 1 1 0 0 0\n$EndEntities\n$Nodes\n1 3 1 3\n"
                                   "2 1 0 3\n1\n2\n3\n0 0 0\n1 0 0\n0 1 0\n$EndNodes\n"
                                   "$Elements\n1 1 1 1\n2 1 2 1\n1 1 2 4000000000\n"
                                   "$EndElements\n"),
         mesh::ReadFailure::Unreadable, "Gmsh failed on it"},
    };
    for (const Case& c : cases) {
        const mesh::MeshRead r = mesh::ReadMeshFile(c.path);
        EXPECT_EQ(r.failure, c.failure) << c.path << ": " << r.error;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    }
}

} // namespace
} // namespace tavu

#endif

#include "mesh/MeshModel.h"

#include "common/Numbers.h"
#include "mesh/GridOrder.h"
#include "model/PreScan.h"
#include "model/Reader.h"
#include "solver/Profile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace tavu::mesh {

namespace {

// Comment lines are wrapped before this width.
constexpr std::size_t CommentWidth = 96;
// NSEQ takes at most ten grids a line.
constexpr std::size_t SequencePerLine = 10;

bool ContainsBeam(const std::string& name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("beam") != std::string::npos;
}

// "plate" (physical surface 1), or (physical curve 2) for a group without a name. Control
// characters of a name become blanks: the label stands in one comment line.
std::string GroupLabel(const MeshGroup& g)
{
    static const char* const kinds[] = {"point", "curve", "surface"};
    if (g.tag == 0)
        return "(all surfaces)";
    std::string name;
    for (const char c : g.name)
        name += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    const std::string physical = "(physical " + std::string(kinds[std::clamp(g.dim, 0, 2)]) + " " +
                                 std::to_string(g.tag) + ")";
    return name.empty() ? physical : "\"" + name + "\" " + physical;
}

std::string Plural(long long n, const std::string& noun)
{
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// Appends "$ " + lead + the items, separated by ", " and wrapped into further comment lines
// that start with "$     ".
void AppendWrapped(std::vector<std::string>& lines, const std::string& lead,
                   const std::vector<std::string>& items)
{
    std::string line = "$ " + lead;
    bool first = true;
    for (const std::string& item : items) {
        const std::string piece = first ? item : ", " + item;
        if (!first && line.size() + piece.size() > CommentWidth) {
            lines.push_back(line + ",");
            line = "$     " + item;
        } else {
            line += piece;
        }
        first = false;
    }
    lines.push_back(line);
}

std::vector<std::string> RangeItems(const std::vector<int>& ids)
{
    std::vector<std::string> items;
    for (std::size_t i = 0; i < ids.size();) {
        std::size_t j = i;
        while (j + 1 < ids.size() && ids[j + 1] == ids[j] + 1)
            ++j;
        items.push_back(j == i ? std::to_string(ids[i])
                               : std::to_string(ids[i]) + " THRU " + std::to_string(ids[j]));
        i = j + 1;
    }
    return items;
}

template <class T> void SortUnique(std::vector<T>& v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

std::uint64_t EdgeKey(int a, int b)
{
    const auto lo = static_cast<std::uint64_t>(std::min(a, b));
    const auto hi = static_cast<std::uint64_t>(std::max(a, b));
    return lo << 32 | hi;
}

// A plane element of the model: grid ids counter-clockwise (corners 3 for a triangle).
struct PlaneElement
{
    std::array<int, 4> grid{};
    int corners = 4;
    int prop = 0;
};

struct BeamElement
{
    int a = 0, b = 0;
    int prop = 0;
};

// A PROP and MATL pair and the group it stands for.
struct PropertyGroup
{
    const MeshGroup* group = nullptr;
    bool beams = false;
    long long elements = 0;
};

// An edge of a plane element: the quad and its edge number for QLOAD (0: the third side
// of a triangle, which QLOAD cannot load).
struct ElementEdge
{
    int quad = 0;
    int edge = 0;
};

// Everything the texts are made of.
struct Prepared
{
    std::vector<std::size_t> gridNode; // [1..nGrids]: the node position of each grid
    std::vector<double> x, y;          // [1..nGrids]: the grid's position
    std::vector<PlaneElement> planes;
    std::vector<BeamElement> beams;
    std::vector<PropertyGroup> properties; // PROP and MATL id = position + 1
    std::vector<int> order;                // grid ids in the NSEQ order
    std::vector<int> beamGrids;            // sorted: grids with a rotation
    std::vector<std::string> groupLines;   // the point and curve groups, as comments
    int nTriangles = 0;
};

class Builder
{
public:
    explicit Builder(const Mesh& mesh) : mesh_(mesh) {}

    // Fills p; returns the reason when the mesh cannot become a model.
    std::string Prepare(Prepared& p)
    {
        if (std::string e = IndexNodes(); !e.empty())
            return e;
        if (std::string e = NumberGrids(p); !e.empty())
            return e;
        if (std::string e = CheckPlane(p); !e.empty())
            return e;
        CollectCurveEdges();
        MakeElements(p);
        Order(p);
        DescribeGroups(p);
        return {};
    }

private:
    std::string IndexNodes()
    {
        const std::size_t n = mesh_.nodeTags.size();
        if (mesh_.x.size() != n || mesh_.y.size() != n || mesh_.z.size() != n)
            return "the mesh's node coordinates do not match its nodes";
        position_.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            if (!position_.emplace(mesh_.nodeTags[i], i).second)
                return "node " + std::to_string(mesh_.nodeTags[i]) + " is given twice";
        return {};
    }

    // Grids are the nodes of the model's elements, numbered 1..n by increasing node tag.
    std::string NumberGrids(Prepared& p)
    {
        grid_.assign(mesh_.nodeTags.size(), 0);
        for (const MeshGroup& g : mesh_.groups) {
            if (!IsElementGroup(g))
                continue;
            for (const MeshCell& c : g.cells)
                for (int k = 0; k < c.nodes; ++k) {
                    const auto at = position_.find(c.node[static_cast<std::size_t>(k)]);
                    if (at == position_.end())
                        return "an element of group " + GroupLabel(g) + " names node " +
                               std::to_string(c.node[static_cast<std::size_t>(k)]) +
                               ", which the mesh does not have";
                    grid_[at->second] = 1;
                }
        }
        std::vector<std::size_t> used;
        for (std::size_t i = 0; i < grid_.size(); ++i)
            if (grid_[i] != 0)
                used.push_back(i);
        if (used.empty())
            return "the mesh has no elements to import: no triangles or quadrangles, and no "
                   "curve group named as beams";
        if (used.size() > static_cast<std::size_t>(MaxModelId))
            return "the mesh has " + std::to_string(used.size()) + " nodes, more than the " +
                   std::to_string(MaxModelId) + " grids a model can have";
        std::sort(used.begin(), used.end(), [this](std::size_t a, std::size_t b) {
            return mesh_.nodeTags[a] < mesh_.nodeTags[b];
        });
        p.gridNode.assign(1, 0);
        p.x.assign(1, 0.0);
        p.y.assign(1, 0.0);
        for (std::size_t k = 0; k < used.size(); ++k) {
            grid_[used[k]] = static_cast<int>(k) + 1;
            p.gridNode.push_back(used[k]);
            p.x.push_back(mesh_.x[used[k]]);
            p.y.push_back(mesh_.y[used[k]]);
        }
        return {};
    }

    // A model lies in the x-y plane: the grids must share one z (which is dropped).
    std::string CheckPlane(const Prepared& p) const
    {
        double lo = mesh_.x[p.gridNode[1]], hi = lo;
        for (std::size_t g = 1; g < p.gridNode.size(); ++g)
            for (const double v : {mesh_.x[p.gridNode[g]], mesh_.y[p.gridNode[g]]}) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        const double tolerance = 1e-9 * std::max(1.0, hi - lo);
        const double z0 = mesh_.z[p.gridNode[1]];
        for (std::size_t g = 1; g < p.gridNode.size(); ++g) {
            const double z = mesh_.z[p.gridNode[g]];
            if (!(std::fabs(z - z0) <= tolerance))
                return "the mesh is not plane: node " +
                       std::to_string(mesh_.nodeTags[p.gridNode[g]]) +
                       " lies at z = " + ShortestText(z) + ", node " +
                       std::to_string(mesh_.nodeTags[p.gridNode[1]]) +
                       " at z = " + ShortestText(z0) + " (a model lies in the x-y plane)";
        }
        for (std::size_t g = 1; g < p.gridNode.size(); ++g)
            if (!std::isfinite(mesh_.x[p.gridNode[g]]) || !std::isfinite(mesh_.y[p.gridNode[g]]))
                return "node " + std::to_string(mesh_.nodeTags[p.gridNode[g]]) +
                       " has no finite position";
        return {};
    }

    static bool IsElementGroup(const MeshGroup& g)
    {
        return g.dim == 2 || (g.dim == 1 && IsBeamGroup(g));
    }

    int GridOf(std::size_t tag) const
    {
        const auto at = position_.find(tag);
        return at == position_.end() ? 0 : grid_[at->second];
    }

    // The sides of the lines of curve groups that are no beams: where loads will act.
    void CollectCurveEdges()
    {
        for (const MeshGroup& g : mesh_.groups)
            if (g.dim == 1 && !IsBeamGroup(g))
                for (const MeshCell& c : g.cells)
                    if (c.nodes == 2)
                        loadedSides_.insert(EdgeKey(GridOf(c.node[0]), GridOf(c.node[1])));
    }

    double SignedArea(const PlaneElement& e, const Prepared& p) const
    {
        double twice = 0;
        for (int k = 0; k < e.corners; ++k) {
            const std::size_t i = p.gridNode[static_cast<std::size_t>(e.grid[k])];
            const std::size_t j = p.gridNode[static_cast<std::size_t>(e.grid[(k + 1) % e.corners])];
            twice += mesh_.x[i] * mesh_.y[j] - mesh_.x[j] * mesh_.y[i];
        }
        return twice / 2;
    }

    void MakeElements(Prepared& p)
    {
        for (const MeshGroup& g : mesh_.groups) {
            if (!IsElementGroup(g) || g.cells.empty())
                continue;
            p.properties.push_back({&g, g.dim == 1, 0});
            const int prop = static_cast<int>(p.properties.size());
            for (const MeshCell& c : g.cells) {
                if (g.dim == 1 && c.nodes == 2) {
                    p.beams.push_back({GridOf(c.node[0]), GridOf(c.node[1]), prop});
                } else if (g.dim == 2 && (c.nodes == 3 || c.nodes == 4)) {
                    PlaneElement e;
                    e.corners = c.nodes;
                    e.prop = prop;
                    for (int k = 0; k < c.nodes; ++k)
                        e.grid[static_cast<std::size_t>(k)] =
                            GridOf(c.node[static_cast<std::size_t>(k)]);
                    if (SignedArea(e, p) < 0)
                        std::reverse(e.grid.begin() + 1, e.grid.begin() + e.corners);
                    if (e.corners == 3) {
                        TurnLoadableTriangle(e);
                        ++p.nTriangles;
                    }
                    p.planes.push_back(e);
                } else {
                    continue;
                }
                ++p.properties.back().elements;
            }
        }
        for (const BeamElement& b : p.beams) {
            p.beamGrids.push_back(b.a);
            p.beamGrids.push_back(b.b);
        }
        SortUnique(p.beamGrids);
    }

    // A triangle's side from its third corner back to its first takes no QLOAD: the corners
    // are turned (keeping their sense) so that a side on a curve group is never that one.
    void TurnLoadableTriangle(PlaneElement& e) const
    {
        for (int turn = 0; turn < 3; ++turn) {
            if (!loadedSides_.contains(EdgeKey(e.grid[2], e.grid[0])))
                return;
            std::rotate(e.grid.begin(), e.grid.begin() + 1, e.grid.begin() + 3);
        }
    }

    void Order(Prepared& p) const
    {
        const int n = static_cast<int>(p.gridNode.size()) - 1;
        std::vector<std::array<int, 4>> elements;
        elements.reserve(p.planes.size() + p.beams.size());
        for (const PlaneElement& e : p.planes)
            elements.push_back(
                {e.grid[0] - 1, e.grid[1] - 1, e.grid[2] - 1, e.corners == 4 ? e.grid[3] - 1 : -1});
        for (const BeamElement& b : p.beams)
            elements.push_back({b.a - 1, b.b - 1, -1, -1});
        const std::vector<int> order = ProfileReducingOrder(BuildGridGraph(n, elements));
        p.order.clear();
        for (const int g : order)
            p.order.push_back(g + 1);
    }

    // The comment blocks of the point and curve groups.
    void DescribeGroups(Prepared& p) const
    {
        // Where each element side lies, for the QLOAD edges of the curve groups.
        std::unordered_multimap<std::uint64_t, ElementEdge> sides;
        for (std::size_t q = 0; q < p.planes.size(); ++q) {
            const PlaneElement& e = p.planes[q];
            for (int k = 0; k < e.corners; ++k) {
                const int edge = e.corners == 3 && k == 2 ? 0 : k + 1;
                sides.emplace(EdgeKey(e.grid[k], e.grid[(k + 1) % e.corners]),
                              ElementEdge{static_cast<int>(q) + 1, edge});
            }
        }
        std::vector<std::string>& lines = p.groupLines;
        for (const MeshGroup& g : mesh_.groups) {
            if (g.dim > 1)
                continue;
            std::vector<int> grids;
            std::vector<std::size_t> notGrids; // node tags
            std::vector<std::pair<int, int>> edges;
            bool unloadable = false;
            for (const MeshCell& c : g.cells) {
                for (int k = 0; k < c.nodes; ++k) {
                    const int grid = GridOf(c.node[static_cast<std::size_t>(k)]);
                    if (grid == 0)
                        notGrids.push_back(c.node[static_cast<std::size_t>(k)]);
                    else
                        grids.push_back(grid);
                }
                if (c.nodes != 2)
                    continue;
                const auto [first, last] =
                    sides.equal_range(EdgeKey(GridOf(c.node[0]), GridOf(c.node[1])));
                for (auto it = first; it != last; ++it) {
                    if (it->second.edge == 0)
                        unloadable = true;
                    else
                        edges.emplace_back(it->second.quad, it->second.edge);
                }
            }
            SortUnique(grids);
            SortUnique(notGrids);
            SortUnique(edges);

            const std::string kind = g.dim == 0       ? "Point group "
                                     : IsBeamGroup(g) ? "Beam group "
                                                      : "Curve group ";
            lines.push_back("$ " + kind + GroupLabel(g) + ": " +
                            Plural(static_cast<long long>(grids.size()), "grid"));
            if (!grids.empty())
                AppendWrapped(lines, grids.size() == 1 ? "  grid " : "  grids ", RangeItems(grids));
            if (!notGrids.empty())
                lines.push_back("$   (" + Plural(static_cast<long long>(notGrids.size()), "node") +
                                " on no element left out)");
            if (!edges.empty()) {
                std::vector<std::string> items;
                for (const auto& [quad, edge] : edges)
                    items.push_back(std::to_string(quad) + " " + std::to_string(edge));
                AppendWrapped(lines, "  quad edges for QLOAD (quad edge): ", items);
            }
            if (unloadable)
                lines.push_back("$   (a triangle with all three sides on curve groups has one "
                                "side that QLOAD cannot load)");
        }
    }

    const Mesh& mesh_;
    std::unordered_map<std::size_t, std::size_t> position_; // node tag -> position
    std::vector<int> grid_;                                 // by node position: grid id or 0
    std::unordered_set<std::uint64_t> loadedSides_;
};

// What a text is made for: the user's model (placeholders, NSEQ), or a count of the
// profile (placeholders filled, every dof free), with or without the order.
enum class TextUse
{
    Model,
    ProfileInOrder,
    ProfileById,
};

std::string Padded(std::string record, std::size_t width)
{
    if (record.size() < width)
        record.resize(width, ' ');
    return record + " ";
}

void AppendPropertyRecords(std::vector<std::string>& lines, const Prepared& p, TextUse use)
{
    for (std::size_t k = 0; k < p.properties.size(); ++k) {
        const PropertyGroup& pg = p.properties[k];
        const std::string id = std::to_string(k + 1);
        const std::string label = GroupLabel(*pg.group);
        if (use != TextUse::Model) {
            lines.push_back("PROP " + id + " 1 1");
            lines.push_back("MATL " + id + " 1 0.3");
            continue;
        }
        lines.push_back("$ " + std::string(pg.beams ? "Beam group " : "Surface group ") + label +
                        ": " + Plural(pg.elements, pg.beams ? "beam" : "element"));
        if (pg.beams) {
            lines.push_back(Padded("PROP " + id, 20) +
                            "$ fill in: area, moment of inertia [, shear term, axial load]");
            lines.push_back(Padded("MATL " + id, 20) +
                            "$ fill in: E [, Poisson's ratio, expansion coefficient, density]");
        } else {
            lines.push_back(Padded("PROP " + id, 20) + "$ fill in: thickness");
            lines.push_back(Padded("MATL " + id, 20) +
                            "$ fill in: E, Poisson's ratio [, expansion coefficient, density]; "
                            "STRAIN for plane strain");
        }
    }
}

// The dofs: no rotations where only plane elements meet, all three at the grids of beams.
void AppendDofs(std::vector<std::string>& lines, const Prepared& p)
{
    if (p.planes.empty()) {
        lines.push_back("DOFS DEF 1 1 1");
        return;
    }
    lines.push_back(Padded("DOFS DEF 1 1 0", 20) + "$ plane elements carry no rotation");
    for (const std::string& range : RangeItems(p.beamGrids))
        lines.push_back("DOFS " + range + " 1 1 1");
}

void AppendSequence(std::vector<std::string>& lines, const std::vector<int>& order)
{
    for (std::size_t i = 0; i < order.size(); i += SequencePerLine) {
        std::string line = "NSEQ";
        for (std::size_t k = i; k < std::min(order.size(), i + SequencePerLine); ++k)
            line += " " + std::to_string(order[k]);
        lines.push_back(std::move(line));
    }
}

std::vector<std::string> ModelLines(const Prepared& p, TextUse use,
                                    const std::vector<std::string>& heading)
{
    const bool model = use == TextUse::Model;
    std::vector<std::string> lines;
    const std::size_t nGrids = p.gridNode.size() - 1;
    lines.reserve(heading.size() + nGrids + nGrids / SequencePerLine + p.planes.size() +
                  p.beams.size() + p.groupLines.size() + 32);
    for (const std::string& h : heading)
        lines.push_back(h.empty() ? "$" : "$ " + h);
    AppendPropertyRecords(lines, p, use);
    for (std::size_t g = 1; g <= nGrids; ++g)
        lines.push_back("GRID " + std::to_string(g) + " " + ShortestText(p.x[g]) + " " +
                        ShortestText(p.y[g]));
    for (std::size_t q = 0; q < p.planes.size(); ++q) {
        const PlaneElement& e = p.planes[q];
        std::string line = "QUAD " + std::to_string(q + 1);
        for (int k = 0; k < 4; ++k)
            line += " " + std::to_string(k < e.corners ? e.grid[static_cast<std::size_t>(k)] : 0);
        lines.push_back(line + " " + std::to_string(e.prop) + " " + std::to_string(e.prop));
    }
    for (std::size_t b = 0; b < p.beams.size(); ++b) {
        const BeamElement& e = p.beams[b];
        lines.push_back("BEAM " + std::to_string(b + 1) + " " + std::to_string(e.a) + " " +
                        std::to_string(e.b) + " " + std::to_string(e.prop) + " " +
                        std::to_string(e.prop));
    }
    AppendDofs(lines, p);
    if (use != TextUse::ProfileById) {
        if (model)
            lines.push_back("$ The order of the equations (reverse Cuthill-McKee): a small "
                            "stiffness profile");
        AppendSequence(lines, p.order);
    }
    if (model) {
        if (!p.groupLines.empty()) {
            lines.push_back("$ The groups of grids, for RACT and SPRG records here (before "
                            "ENDMODEL) and loads:");
            lines.insert(lines.end(), p.groupLines.begin(), p.groupLines.end());
        }
        lines.push_back("$ RACT or SPRG records for the supports go here");
    } else {
        lines.push_back("RACT 1 0 0 0"); // every dof stays free
    }
    lines.push_back("ENDMODEL");
    if (model)
        lines.push_back("$ The loads (LOAD, DISP, GRAV, QLOAD, ...) go here");
    return lines;
}

std::string Terms(long long terms)
{
    return terms < 0 ? "not counted" : std::to_string(terms);
}

} // namespace

bool IsBeamGroup(const MeshGroup& group)
{
    return group.dim == 1 && ContainsBeam(group.name);
}

std::string IdRanges(const std::vector<int>& sortedIds)
{
    std::string text;
    for (const std::string& item : RangeItems(sortedIds))
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

long long StiffnessTerms(const std::vector<std::string>& lines)
{
    Analysis a;
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    a.Text.Reset(std::move(text));
    a.Text.Reserve(lines.size());
    std::size_t start = 0;
    for (const std::string& line : lines) {
        a.Text.AddLine(start, line.size());
        start += line.size() + 1;
    }
    a.State.LinesStale = false;
    PreScanModel(a);
    if (!a.State.FatalText.empty() || !ReadModel(a))
        return -1;
    BuildProfile(a); // a store too large still counts the terms it would need
    return a.Profile.ProfileSize - 2;
}

ImportResult ImportMesh(const Mesh& mesh)
{
    ImportResult r;
    Prepared p;
    r.error = Builder(mesh).Prepare(p);
    if (!r.error.empty())
        return r;

    ImportedModel& m = r.model;
    m.nGrids = static_cast<int>(p.gridNode.size()) - 1;
    m.nTriangles = p.nTriangles;
    m.nQuads = static_cast<int>(p.planes.size()) - p.nTriangles;
    m.nBeams = static_cast<int>(p.beams.size());
    m.termsInOrder = StiffnessTerms(ModelLines(p, TextUse::ProfileInOrder, {}));
    m.termsById = StiffnessTerms(ModelLines(p, TextUse::ProfileById, {}));

    m.summary.push_back("Imported " + mesh.source + ": " + Plural(m.nGrids, "grid") + ", " +
                        Plural(m.nQuads, "quad") + ", " + Plural(m.nTriangles, "triangle") + ", " +
                        Plural(m.nBeams, "beam"));
    m.summary.push_back("Stiffness elements: " + Terms(m.termsInOrder) + " in the NSEQ order, " +
                        Terms(m.termsById) + " in grid-id order");
    if (mesh.leftOut > 0)
        m.summary.push_back("Left out: " + Plural(mesh.leftOut, "plane element") +
                            " in no physical surface");

    std::vector<std::string> heading = m.summary;
    heading.insert(
        heading.end(),
        {"Before a run: fill in the PROP and MATL records marked \"fill in\", add RACT or",
         "SPRG records for the supports where the groups of grids are listed (before",
         "ENDMODEL), and the loads after ENDMODEL.", ""});
    const std::vector<std::string> lines = ModelLines(p, TextUse::Model, heading);
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    m.text.reserve(size);
    for (const std::string& line : lines) {
        m.text += line;
        m.text += CRLF;
    }
    r.ok = true;
    return r;
}

} // namespace tavu::mesh

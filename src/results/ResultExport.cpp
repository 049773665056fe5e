#include "results/ResultExport.h"

#include "common/Numbers.h"
#include "results/Listings.h"
#include "results/PlotGeometry.h"

#include <cmath>
#include <string>
#include <vector>

namespace tavu {

namespace {

// VTK's cell types.
constexpr int VtkLine = 3;
constexpr int VtkTriangle = 5;
constexpr int VtkQuad = 9;

// A number for a file another program reads: shortest round trip; a CSV field stays empty
// for a value that is not finite.
std::string CsvNumber(double x)
{
    return std::isfinite(x) ? ShortestText(x) : std::string();
}

// One DataArray element: count tuples of `components` values, value(i, out) writing the
// i-th tuple's values, each followed by a blank.
template <class Value>
void DataArray(std::ostream& out, const char* type, const char* name, int components,
               std::size_t count, Value value)
{
    out << "        <DataArray type=\"" << type << "\"";
    if (name[0] != '\0')
        out << " Name=\"" << name << "\"";
    if (components > 1)
        out << " NumberOfComponents=\"" << components << "\"";
    out << " format=\"ascii\">\n";
    for (std::size_t i = 0; i < count; ++i) {
        out << "          ";
        value(i, out);
        out << "\n";
    }
    out << "        </DataArray>\n";
}

void Values(std::ostream& out, std::initializer_list<double> values)
{
    bool first = true;
    for (const double v : values) {
        out << (first ? "" : " ") << ShortestText(v);
        first = false;
    }
}

// The cells: quads and triangles by position 1..nQuads, then beams 1..nBeams.
struct CellList
{
    int nQuads = 0, nBeams = 0;
    std::size_t Count() const { return static_cast<std::size_t>(nQuads + nBeams); }
    bool IsQuad(std::size_t i) const { return static_cast<int>(i) < nQuads; }
    int Quad(std::size_t i) const { return static_cast<int>(i) + 1; }
    int Beam(std::size_t i) const { return static_cast<int>(i) - nQuads + 1; }
};

void WritePointData(std::ostream& out, const Analysis& a, const std::vector<int>& ids)
{
    const ModelStore& m = a.Model;
    out << "      <PointData Scalars=\"rotation\" Vectors=\"displacement\">\n";
    DataArray(out, "Int32", "grid", 1, ids.size(),
              [&](std::size_t i, std::ostream& o) { o << ids[i]; });
    DataArray(out, "Float64", "displacement", 3, ids.size(), [&](std::size_t i, std::ostream& o) {
        const PlotPoint d = GlobalDeflection(a, GridIndexOf(m, ids[i]));
        Values(o, {d.x, d.y, 0.0});
    });
    DataArray(out, "Float64", "rotation", 1, ids.size(), [&](std::size_t i, std::ostream& o) {
        std::array<double, 3> v{};
        DeflectionValues(a, ids[i], v);
        o << ShortestText(v[2]);
    });
    DataArray(out, "Float64", "reaction", 3, ids.size(), [&](std::size_t i, std::ostream& o) {
        std::array<double, 3> v{};
        ReactionValues(a, ids[i], v);
        Values(o, {v[0], v[1], v[2]});
    });
    out << "      </PointData>\n";
}

void WriteCellData(std::ostream& out, const Analysis& a, const CellList& cells)
{
    const ModelStore& m = a.Model;
    const auto average = [&a](int q) {
        StressState s;
        QuadAverageStresses(a, q, s);
        return s;
    };
    out << "      <CellData Scalars=\"von_mises\">\n";
    DataArray(out, "Int32", "element", 1, cells.Count(), [&](std::size_t i, std::ostream& o) {
        o << (cells.IsQuad(i) ? m.Quads(cells.Quad(i)).id : m.Beams(cells.Beam(i)).id);
    });
    DataArray(out, "Float64", "stress", 3, cells.Count(), [&](std::size_t i, std::ostream& o) {
        const StressState s = cells.IsQuad(i) ? average(cells.Quad(i)) : StressState{};
        Values(o, {s.sx, s.sy, s.sxy});
    });
    DataArray(out, "Float64", "principal", 1, cells.Count(), [&](std::size_t i, std::ostream& o) {
        o << ShortestText(cells.IsQuad(i) ? average(cells.Quad(i)).principal : 0.0);
    });
    DataArray(out, "Float64", "von_mises", 1, cells.Count(), [&](std::size_t i, std::ostream& o) {
        o << ShortestText(cells.IsQuad(i) ? average(cells.Quad(i)).vonMises : 0.0);
    });
    for (const bool endA : {true, false})
        DataArray(out, "Float64", endA ? "end_a" : "end_b", 3, cells.Count(),
                  [&](std::size_t i, std::ostream& o) {
                      if (cells.IsQuad(i) || !a.Results.BeamEndForces.Has(cells.Beam(i))) {
                          Values(o, {0.0, 0.0, 0.0});
                          return;
                      }
                      const BeamForces& f = a.Results.BeamEndForces(cells.Beam(i));
                      if (endA)
                          Values(o, {f[AxialA], f[ShearA], f[MomentA]});
                      else
                          Values(o, {f[AxialB], f[ShearB], f[MomentB]});
                  });
    out << "      </CellData>\n";
}

// The point numbers of a cell's corners: grid id - 1 (ids run 1..nGrids).
std::vector<int> CellPoints(const ModelStore& m, const CellList& cells, std::size_t i)
{
    if (!cells.IsQuad(i)) {
        const BeamRow& b = m.Beams(cells.Beam(i));
        return {b.gridA - 1, b.gridB - 1};
    }
    const QuadRow& q = m.Quads(cells.Quad(i));
    std::vector<int> points;
    for (std::size_t k = 1; k <= (IsTriangle(q) ? 3u : 4u); ++k)
        points.push_back(q.grid[k] - 1);
    return points;
}

} // namespace

void WriteVtu(std::ostream& out, const Analysis& a)
{
    const ModelStore& m = a.Model;
    std::vector<int> ids;
    ForEachResultItem(a, DeflectionsKind, [&ids](int id) { ids.push_back(id); });
    const CellList cells{m.nQuads, m.nBeams};

    out << "<?xml version=\"1.0\"?>\n"
        << "<VTKFile type=\"UnstructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
        << "  <UnstructuredGrid>\n"
        << "    <Piece NumberOfPoints=\"" << ids.size() << "\" NumberOfCells=\"" << cells.Count()
        << "\">\n";
    WritePointData(out, a, ids);
    WriteCellData(out, a, cells);
    out << "      <Points>\n";
    DataArray(out, "Float64", "", 3, ids.size(), [&](std::size_t i, std::ostream& o) {
        const GridRow& g = m.Grids(GridIndexOf(m, ids[i]));
        Values(o, {g.x, g.y, 0.0});
    });
    out << "      </Points>\n      <Cells>\n";
    DataArray(out, "Int32", "connectivity", 1, cells.Count(), [&](std::size_t i, std::ostream& o) {
        bool first = true;
        for (const int p : CellPoints(m, cells, i)) {
            o << (first ? "" : " ") << p;
            first = false;
        }
    });
    std::size_t offset = 0;
    DataArray(out, "Int32", "offsets", 1, cells.Count(), [&](std::size_t i, std::ostream& o) {
        offset += CellPoints(m, cells, i).size();
        o << offset;
    });
    DataArray(out, "UInt8", "types", 1, cells.Count(), [&](std::size_t i, std::ostream& o) {
        o << (!cells.IsQuad(i)                     ? VtkLine
              : IsTriangle(m.Quads(cells.Quad(i))) ? VtkTriangle
                                                   : VtkQuad);
    });
    out << "      </Cells>\n    </Piece>\n  </UnstructuredGrid>\n</VTKFile>\n";
}

void WriteCsv(std::ostream& out, const Analysis& a, int kind)
{
    const auto row = [&out](std::initializer_list<std::string> fields) {
        bool first = true;
        for (const std::string& f : fields) {
            out << (first ? "" : ",") << f;
            first = false;
        }
        out << "\n";
    };
    const ModelStore& m = a.Model;
    std::array<double, 3> v{};
    switch (kind) {
    case DeflectionsKind:
    case ReactionsKind:
        row({"grid", "u", "v", "rotation"});
        ForEachResultItem(a, kind, [&](int id) {
            if (kind == DeflectionsKind ? DeflectionValues(a, id, v) : ReactionValues(a, id, v))
                row({std::to_string(id), CsvNumber(v[0]), CsvNumber(v[1]), CsvNumber(v[2])});
        });
        break;
    case BeamForcesKind:
        row({"beam", "grid_a", "grid_b", "axial_a", "shear_a", "moment_a", "axial_b", "shear_b",
             "moment_b"});
        for (int b = 1; b <= m.nBeams && a.Results.BeamEndForces.Has(b); ++b) {
            const BeamRow& beam = m.Beams(b);
            const BeamForces& f = a.Results.BeamEndForces(b);
            row({std::to_string(beam.id), std::to_string(beam.gridA), std::to_string(beam.gridB),
                 CsvNumber(f[AxialA]), CsvNumber(f[ShearA]), CsvNumber(f[MomentA]),
                 CsvNumber(f[AxialB]), CsvNumber(f[ShearB]), CsvNumber(f[MomentB])});
        }
        break;
    case QuadStressesKind:
        row({"quad", "grid", "sx", "sy", "sxy", "principal", "von_mises"});
        for (int q = 1; q <= m.nQuads; ++q) {
            std::array<StressState, 5> corner{};
            const int n = QuadCornerStresses(a, q, corner);
            for (std::size_t k = 1; k <= static_cast<std::size_t>(n); ++k) {
                const StressState& s = corner[k];
                row({std::to_string(m.Quads(q).id), std::to_string(m.Quads(q).grid[k]),
                     CsvNumber(s.sx), CsvNumber(s.sy), CsvNumber(s.sxy), CsvNumber(s.principal),
                     CsvNumber(s.vonMises)});
            }
        }
        break;
    default:
        break;
    }
}

} // namespace tavu

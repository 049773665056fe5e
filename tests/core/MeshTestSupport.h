#pragma once
// Helpers of the mesh import tests: the imported text as lines, its placeholders filled the
// way a user fills them, the grid and edge lists of its group comments read back, and a
// structured strip of quadrangles with node tags of the test's choosing.

#include "TestSupport.h"
#include "common/Analysis.h"
#include "mesh/MeshData.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace tavu::testing {

inline std::vector<std::string> TextLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    EXPECT_EQ(start, text.size()) << "the text must end with CR LF";
    return lines;
}

// The model with every "PROP id" and "MATL id" placeholder given values (unless fill is
// false), the records `constraints` put before ENDMODEL and `loads` after it.
inline std::vector<std::string> FilledModel(const std::vector<std::string>& lines,
                                            const std::vector<std::string>& constraints,
                                            const std::vector<std::string>& loads = {},
                                            bool fill = true)
{
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        std::istringstream fields(line.substr(0, line.find('$')));
        std::string keyword, id, more;
        fields >> keyword >> id;
        const bool placeholder = fill && !id.empty() && !(fields >> more);
        if (placeholder && keyword == "PROP")
            out.push_back("PROP " + id + " 0.5 2");
        else if (placeholder && keyword == "MATL")
            out.push_back("MATL " + id + " 1000 0.3");
        else if (line == "ENDMODEL") {
            out.insert(out.end(), constraints.begin(), constraints.end());
            out.push_back(line);
            out.insert(out.end(), loads.begin(), loads.end());
        } else
            out.push_back(line);
    }
    return out;
}

// The numbers a group's comment lists after `what` ("grids" or "quad edges for QLOAD
// (quad edge):"): the THRU ranges expanded for grids, the pairs flattened for edges. The
// group is the one whose comment line names `name` in quotes.
inline std::vector<int> GroupList(const std::vector<std::string>& lines, const std::string& name,
                                  const std::string& what)
{
    std::vector<int> numbers;
    std::size_t i = 0;
    while (i < lines.size() && lines[i].find("group \"" + name + "\"") == std::string::npos)
        ++i;
    bool collecting = false; // in the list, which may go on in lines that start "$     "
    for (++i; i < lines.size() && lines[i].starts_with("$  "); ++i) {
        const std::string& line = lines[i];
        std::string rest;
        if (line.starts_with("$   " + what))
            rest = line.substr(4 + what.size());
        else if (collecting && line.starts_with("$     "))
            rest = line.substr(6);
        collecting = !rest.empty();
        std::replace(rest.begin(), rest.end(), ',', ' ');
        std::istringstream in(rest);
        bool thru = false;
        for (std::string token; in >> token;) {
            if (token == "THRU") {
                thru = true;
                continue;
            }
            const int n = std::stoi(token);
            for (int k = thru ? numbers.back() + 1 : n; k < n; ++k)
                numbers.push_back(k);
            numbers.push_back(n);
            thru = false;
        }
    }
    return numbers;
}

// Twice the signed area of quad index q from the model's grid positions.
inline double TwiceQuadArea(const Analysis& a, int q)
{
    const QuadRow& quad = a.Model.Quads(q);
    const int corners = IsTriangle(quad) ? 3 : 4;
    double twice = 0;
    for (int k = 1; k <= corners; ++k) {
        const GridRow& p = a.Model.Grids(GridIndexOf(a.Model, quad.grid[k]));
        const GridRow& n = a.Model.Grids(GridIndexOf(a.Model, quad.grid[k % corners + 1]));
        twice += p.x * n.y - n.x * p.y;
    }
    return twice;
}

// A strip of nx by ny unit quadrangles in the surface group "strip", with its left side as
// the curve group "fixed". Node (i, j) at (i, j) gets the tag tagOf(i * (ny + 1) + j); the
// quadrangles whose index is odd run clockwise.
inline mesh::Mesh StripMesh(int nx, int ny, const std::function<std::size_t(int)>& tagOf)
{
    mesh::Mesh m;
    m.source = "strip.msh";
    const auto node = [&](int i, int j) { return tagOf(i * (ny + 1) + j); };
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j <= ny; ++j) {
            m.nodeTags.push_back(node(i, j));
            m.x.push_back(i);
            m.y.push_back(j);
            m.z.push_back(0);
        }
    mesh::MeshGroup strip{2, 1, "strip", {}};
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j) {
            mesh::MeshCell c{{node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)}, 4};
            if (strip.cells.size() % 2 == 1)
                std::swap(c.node[1], c.node[3]);
            strip.cells.push_back(c);
        }
    mesh::MeshGroup fixed{1, 2, "fixed", {}};
    for (int j = 0; j < ny; ++j)
        fixed.cells.push_back({{node(0, j), node(0, j + 1), 0, 0}, 2});
    m.groups = {strip, fixed};
    return m;
}

} // namespace tavu::testing

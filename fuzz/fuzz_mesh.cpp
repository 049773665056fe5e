// libFuzzer target of the mesh import: a plane mesh as the Gmsh reader hands it over (any
// node tags and coordinates, groups of any name and tag, cells naming tags that may not
// exist) -> the model text -> the three steps as tavu-solve runs them -> the reports. Any
// crash, sanitizer report or failed index check is a finding.

#include "BatchRun.h"
#include "mesh/MeshModel.h"

#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <limits>
#include <string>

namespace {

std::size_t NodeTag(FuzzedDataProvider& in, std::size_t nodes)
{
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
        return in.ConsumeIntegral<std::size_t>(); // anything, far beyond the nodes
    case 1:
        return 0;
    default:
        return in.ConsumeIntegralInRange<std::size_t>(1, nodes + 2);
    }
}

double Coordinate(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0:
        return std::numeric_limits<double>::quiet_NaN();
    case 1:
        return std::numeric_limits<double>::infinity();
    case 2:
        return in.ConsumeFloatingPoint<double>(); // up to the largest doubles
    default:
        return in.ConsumeIntegralInRange(-20, 20) * 0.5;
    }
}

tavu::mesh::Mesh MeshOf(FuzzedDataProvider& in)
{
    tavu::mesh::Mesh m;
    m.source = "fuzz.msh";
    const std::size_t nodes = in.ConsumeIntegralInRange<std::size_t>(0, 64);
    const bool ordered = in.ConsumeBool();
    for (std::size_t i = 0; i < nodes; ++i) {
        m.nodeTags.push_back(ordered ? i + 1 : NodeTag(in, nodes));
        m.x.push_back(Coordinate(in));
        m.y.push_back(Coordinate(in));
        m.z.push_back(in.ConsumeIntegralInRange(0, 9) == 0 ? Coordinate(in) : 0.0);
    }
    static const char* const names[] = {"", "beam", "Main BEAMS", "pull", "symmetry-x", "1"};
    const int groups = in.ConsumeIntegralInRange(0, 5);
    for (int g = 0; g < groups; ++g) {
        tavu::mesh::MeshGroup group;
        group.dim = in.ConsumeIntegralInRange(0, 2);
        group.tag = in.ConsumeIntegralInRange(-2, 1000);
        group.name =
            in.ConsumeBool() ? in.PickValueInArray(names) : in.ConsumeRandomLengthString(12);
        const int cells = in.ConsumeIntegralInRange(0, 80);
        for (int c = 0; c < cells; ++c) {
            tavu::mesh::MeshCell cell;
            cell.nodes = group.dim == 0 ? 1 : group.dim == 1 ? 2 : in.ConsumeIntegralInRange(3, 4);
            for (int k = 0; k < cell.nodes; ++k)
                cell.node[static_cast<std::size_t>(k)] = NodeTag(in, nodes);
            group.cells.push_back(cell);
        }
        m.groups.push_back(std::move(group));
    }
    m.leftOut = in.ConsumeIntegralInRange<long long>(0, 3);
    return m;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool fillIn = in.ConsumeBool();
    const tavu::mesh::ImportResult imported = tavu::mesh::ImportMesh(MeshOf(in));
    if (!imported.ok)
        return 0;
    // The model as imported (its PROP and MATL records still to be filled in), or with
    // them filled in and the first grids held, so that it solves.
    std::string text = imported.model.text;
    if (fillIn) {
        for (const char* record : {"\nPROP ", "\nMATL "})
            for (std::size_t at = text.find(record); at != std::string::npos;
                 at = text.find(record, at + 1)) {
                const std::size_t idEnd = text.find_first_of(" \r", at + 6);
                if (idEnd != std::string::npos)
                    text.insert(idEnd, record[1] == 'P' ? " 0.1 0.01" : " 1000 0.3");
            }
        const std::size_t end = text.find("\nENDMODEL");
        if (end != std::string::npos)
            text.insert(end + 1, "RACT 1 THRU 2 1 1 0\r\n");
    }
    tavu::BatchRun run;
    tavu::RunBatch(run, text, {2.0, -0.5});
    volatile std::size_t sink = tavu::BatchText(run).size() + tavu::BatchJson(run).size();
    (void)sink;
    return 0;
}

#include "ModelGenerators.h"

#include <cstdio>

namespace tavu::bench {

namespace {

void Line(std::string& out, const char* fmt, auto... args)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, fmt, args...);
    out += buf;
    out += "\r\n";
}

} // namespace

std::string CantileverPlateModel(int nShort, int nLong)
{
    std::string m;
    const int perLine = nShort + 1;
    const double h = 1.0;
    Line(m, "$ Cantilever plate %d x %d quads, numbered along the short side", nLong, nShort);
    for (int ix = 0; ix <= nLong; ++ix)
        for (int iy = 0; iy <= nShort; ++iy)
            Line(m, "GRID %d %g %g", ix * perLine + iy + 1, ix * h, iy * h);
    int id = 0;
    for (int ix = 0; ix < nLong; ++ix)
        for (int iy = 0; iy < nShort; ++iy) {
            const int g1 = ix * perLine + iy + 1;
            const int g2 = g1 + perLine;
            Line(m, "QUAD %d %d %d %d %d 1 1", ++id, g1, g2, g2 + 1, g1 + 1);
        }
    Line(m, "PROP 1 0.1");
    Line(m, "MATL 1 210000 0.3");
    Line(m, "DOFS DEF 1 1 0");
    Line(m, "RACT 1 THRU %d 1 1 0", perLine);
    Line(m, "ENDMODEL");
    Line(m, "LOAD %d THRU %d 0 -1", nLong * perLine + 1, (nLong + 1) * perLine);
    return m;
}

std::string FrameModel(int storeys, int bays)
{
    std::string m;
    const int perFloor = bays + 1;
    Line(m, "$ Frame of %d storeys and %d bays", storeys, bays);
    for (int f = 0; f <= storeys; ++f)
        for (int c = 0; c <= bays; ++c)
            Line(m, "GRID %d %g %g", f * perFloor + c + 1, 6.0 * c, 3.5 * f);
    int id = 0;
    for (int f = 0; f < storeys; ++f)
        for (int c = 0; c <= bays; ++c) {
            const int g = f * perFloor + c + 1;
            Line(m, "BEAM %d %d %d 1 1", ++id, g, g + perFloor);
        }
    for (int f = 1; f <= storeys; ++f)
        for (int c = 0; c < bays; ++c) {
            const int g = f * perFloor + c + 1;
            Line(m, "BEAM %d %d %d 2 1", ++id, g, g + 1);
        }
    Line(m, "PROP 1 0.02 0.0004");
    Line(m, "PROP 2 0.015 0.0003");
    Line(m, "MATL 1 2.1E8");
    Line(m, "DOFS DEF 1 1 1");
    Line(m, "RACT 1 THRU %d 1 1 1", perFloor);
    Line(m, "ENDMODEL");
    for (int f = 1; f <= storeys; ++f)
        Line(m, "LOAD %d 10 0", f * perFloor + 1);
    return m;
}

} // namespace tavu::bench

#pragma once
// The pieces a plot picture is made of, in world coordinates (y up).

#include <string>

namespace tavu {

struct PlotPoint
{
    double x = 0;
    double y = 0;
};

struct PlotSegment
{
    PlotPoint from;
    PlotPoint to;
};

// A colour by its red, green and blue parts, 0..255.
struct Rgb
{
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

} // namespace tavu

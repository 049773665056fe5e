#pragma once
// The four result listings: one line builder serves the screen, the clipboard and paper.

#include "common/Analysis.h"

#include <array>
#include <string>

namespace tavu {

enum ResultKind : int
{
    DeflectionsKind = 1,
    ReactionsKind = 2,
    BeamForcesKind = 3,
    QuadStressesKind = 4,
};

struct ListingOptions
{
    bool averageStresses = false;
    bool printLayout = false; // blanks instead of TABs
};

// Fills lines[1..n] for one item of a kind and returns n (0..4). Kinds 1, 2: item is a
// grid id; kinds 3, 4: the beam's or quad's position in its table.
int BuildResultLines(const Analysis& a, int item, int kind, const ListingOptions& options,
                     std::array<std::string, 5>& lines);

// The values a Deflections line shows for a grid id (in the grid's own dof axes); false
// when the listing shows no line for it.
bool DeflectionValues(const Analysis& a, int gridId, std::array<double, 3>& values);

// The values a Reactions line shows for a grid id; false when it shows no line.
bool ReactionValues(const Analysis& a, int gridId, std::array<double, 3>& values);

// The items a listing runs over: grid ids 1..maxGridId (kinds 1, 2), beam or quad
// positions 1..nBeams / 1..nQuads (kinds 3, 4).
int ResultItemCount(const Analysis& a, int kind);

// Principal stress of larger magnitude and von Mises stress of a plane stress state.
struct DerivedStresses
{
    double principal = 0;
    double vonMises = 0;
};
DerivedStresses DeriveStresses(double sx, double sy, double sxy);

// Corner values [1..4] of the bilinear field through the values s[1..4] at the
// integration points (-a,-a), (-a,+a), (+a,-a), (+a,+a).
std::array<double, 5> CornerValues(const std::array<double, 5>& s);

// The heading texts of labels 700..706 for a kind (the rotation columns are headed by
// the 8-bit character 248, a slashed o).
std::array<std::string, 7> ResultHeadings(int kind, bool averageStresses);

// The listing as Copy puts it on the clipboard: the headings line, then every line, each
// followed by CR LF, columns separated by TABs.
std::string ResultText(const Analysis& a, int kind, bool averageStresses);

} // namespace tavu

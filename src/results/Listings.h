#pragma once
// The four result listings: one line builder serves the screen, the clipboard and paper.

#include "common/Analysis.h"

#include <array>
#include <functional>
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
    int idWidth = 4;          // of the id columns: ListingIdWidth
};

// The width of a listing's id columns: 4, or the digits of its largest id, so that no id
// is ever cut.
int ListingIdWidth(const Analysis& a, int kind);

// Fills lines[1..n] for one item of a kind and returns n (0..4). Kinds 1, 2: item is a
// grid id; kinds 3, 4: the beam's or quad's position in its table.
int BuildResultLines(const Analysis& a, int item, int kind, const ListingOptions& options,
                     std::array<std::string, 5>& lines);

// The values a Deflections line shows for a grid id (in the grid's own dof axes); false
// when the listing shows no line for it.
bool DeflectionValues(const Analysis& a, int gridId, std::array<double, 3>& values);

// The values a Reactions line shows for a grid id; false when it shows no line.
bool ReactionValues(const Analysis& a, int gridId, std::array<double, 3>& values);

// Calls item(i) for every item of a listing, in listing order: the grid ids that name a
// grid, ascending (kinds 1, 2), beam or quad positions 1..nBeams / 1..nQuads (kinds 3, 4).
// The cost follows the items, not the largest id.
template <class Item> void ForEachResultItem(const Analysis& a, int kind, Item item)
{
    const ModelStore& m = a.Model;
    if (kind == DeflectionsKind || kind == ReactionsKind) {
        m.GridIndex.ForEachRow(1, m.maxGridId, [&](long long id, int g) {
            if (g != 0)
                item(static_cast<int>(id));
        });
    } else if (kind == BeamForcesKind || kind == QuadStressesKind) {
        const int last = kind == BeamForcesKind ? m.nBeams : m.nQuads;
        for (int i = 1; i <= last; ++i)
            item(i);
    }
}

// The stresses of one line of the Quad stresses listing: the components (x-y, or the
// quad's polar axes where the recovery turned them) and the derived values.
struct StressState
{
    double sx = 0, sy = 0, sxy = 0;
    double principal = 0; // principal stress of larger magnitude
    double vonMises = 0;
};

// A plane stress state with its principal and von Mises stress.
StressState DeriveStresses(double sx, double sy, double sxy);

// Corner values [1..4] of the bilinear field through the values s[1..4] at the
// integration points (-a,-a), (-a,+a), (+a,-a), (+a,+a).
std::array<double, 5> CornerValues(const std::array<double, 5>& s);

// The corner stresses of quad index q as the corner listing shows them: corners[1..n] in
// the order of the quad's grids, n = 3 for a triangle, else 4; 0 when there are no
// results for q.
int QuadCornerStresses(const Analysis& a, int q, std::array<StressState, 5>& corners);

// The stresses of quad index q averaged over its four integration points, as the averaged
// listing shows them; false when there are no results for q.
bool QuadAverageStresses(const Analysis& a, int q, StressState& average);

// The heading texts of labels 700..706 for a kind (the rotation columns are headed by
// the 8-bit character 248, a slashed o).
std::array<std::string, 7> ResultHeadings(int kind, bool averageStresses);

// The listing as Copy gives it, one line at a time: line(text) gets the headings line,
// then every line of the listing, each without its line end; columns are separated by
// TABs. The listing is never held whole.
void WriteResultLines(const Analysis& a, int kind, bool averageStresses,
                      const std::function<void(const std::string&)>& line);

// The listing as Copy puts it on the clipboard: the lines of WriteResultLines, each
// followed by CR LF.
std::string ResultText(const Analysis& a, int kind, bool averageStresses);

} // namespace tavu

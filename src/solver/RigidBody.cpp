#include "solver/RigidBody.h"

#include "common/Numbers.h"

#include <cmath>

namespace tavu {

RigidBodyRow RigidBodyRowOf(const Analysis& a, int i, int d)
{
    const GridRow& g = a.Model.Grids(i);
    const double x = g.x;
    const double y = g.y;
    const double angle = g.axisCode > 0 ? g.axisAngle : 0.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    switch (d) {
    case 1:
        return {c, s, s * x - c * y};
    case 2:
        return {-s, c, c * x + s * y};
    default:
        return {0, 0, 1};
    }
}

void AddRigidBodyRow(int& r, RigidBodyRow& v, RigidBodyBasis& q)
{
    auto dot = [](const RigidBodyRow& p, const RigidBodyRow& w) {
        return p[0] * w[0] + p[1] * w[1] + p[2] * w[2];
    };
    if (r == 1) {
        const double p1 = dot(q[0], v);
        for (int k = 0; k < 3; ++k)
            v[k] -= p1 * q[0][k];
    } else if (r == 2) {
        const double p1 = dot(q[0], v);
        const double p2 = dot(q[1], v);
        for (int k = 0; k < 3; ++k)
            v[k] -= p1 * q[0][k] + p2 * q[1][k];
    }
    const double len = std::sqrt(dot(v, v));
    // NaN coordinates give a NaN length, which counts as dependent.
    if (!(len >= PivotRatioLimit))
        return;
    ++r;
    if (r < 3)
        for (int k = 0; k < 3; ++k)
            q[static_cast<std::size_t>(r - 1)][k] = v[k] / len;
}

namespace {

bool IsRestrained(const EquationSystem& s, int e)
{
    return e < 0 || e > s.NEQ;
}

int CountRows(const Analysis& a, bool restrainedOnly)
{
    const ModelStore& m = a.Model;
    int r = 0;
    RigidBodyBasis q{};
    for (int i = 1; i <= m.nGrids && r < 3; ++i) {
        for (int d = 1; d <= 3 && r < 3; ++d) {
            if (restrainedOnly && !IsRestrained(a.System, SystemEquation(a.System, i, d)))
                continue;
            RigidBodyRow v = RigidBodyRowOf(a, i, d);
            AddRigidBodyRow(r, v, q);
        }
    }
    return r;
}

} // namespace

int FreeRigidBodyModes(const Analysis& a)
{
    const int nAll = CountRows(a, false);
    const int nFixed = CountRows(a, true);
    return nFixed == 3 ? 0 : nAll - nFixed;
}

std::string RigidBodyText(int k)
{
    std::string t = " rigid body dofs exist";
    if (k == 1)
        t.replace(15, std::string::npos, " exists");
    return std::to_string(k) + t;
}

void CheckRigidBodyModes(Analysis& a)
{
    const int k = FreeRigidBodyModes(a);
    if (k == 0)
        return;
    AppendLine(a.Summary.LogText, RigidBodyText(k));
    if (a.Progress)
        a.Progress->ShowProgressText(a.Summary.LogText);
}

} // namespace tavu

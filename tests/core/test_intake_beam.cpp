#include "model/BeamCoefficients.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tavu {
namespace {

TEST(BeamCoefficients, FollowTheBeamKind)
{
    struct Case
    {
        const char* name;
        int kind;
        double L, A, I, As, E;
        double kA, k2, k3, k4, phi;
    } cases[] = {
        // 4EI/L = 80, 2EI/L = 40 (carry-over -k4 - L k3), 6EI/L^2 = 60, 12EI/L^3 = 60.
        {"plain", PlainBeam, 2, 3, 4, 0, 10, 15, 60, -60, 80, 0},
        {"curv", CurvBeam, 2, 3, 4, 0, 10, 15, 60, -60, 80, 0},
        {"plain with shear", PlainBeam, 2, 3, 4, 6, 10, 15, 20, -20, 40, 2},
        {"pin", PinBeam, 2, 3, 4, 0, 10, 15, 15, 0, 0, 0},
        {"pin with shear", PinBeam, 2, 3, 4, 6, 10, 15, 10, 0, 0, 2},
        {"bend", BendBeam, 2, 3, 4, 0, 10, 15, 0, 0, 20, 0},
        {"two-force member", PlainBeam, 4, 2, 0, 0, 100, 50, 0, 0, 0, 0},
        {"no area", PlainBeam, 1, 0, 1, 0, 12, 0, 144, -72, 48, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BeamCoefficientValues v = BeamCoefficientsOf(c.kind, c.L, {c.A, c.I, c.As, 0}, c.E);
        EXPECT_DOUBLE_EQ(v.kA, c.kA);
        EXPECT_DOUBLE_EQ(v.k2, c.k2);
        EXPECT_DOUBLE_EQ(v.k3, c.k3);
        EXPECT_DOUBLE_EQ(v.k4, c.k4);
        EXPECT_DOUBLE_EQ(v.phi, c.phi);
        EXPECT_EQ(v.kind, c.kind);
        EXPECT_EQ(v.axialLoad, 0);
    }
}

TEST(BeamCoefficients, AxialLoadFactorsMatchTheKnownValues)
{
    const AxialLoadFactorValues f = AxialLoadFactors(1.0);
    EXPECT_NEAR(f.F1, 0.598006, 5e-7);
    EXPECT_NEAR(f.F2, 0.931340, 5e-7);
    EXPECT_NEAR(f.F3, 0.859028, 5e-7);

    // Small loads change the stiffness by little, and the factors tend to 1 without
    // losing their digits to cancellation.
    for (double u : {0.01, 1e-3, 1e-5, 1e-7, 1e-12}) {
        const AxialLoadFactorValues g = AxialLoadFactors(u);
        const double bound = std::max(1e-15, u * u); // F - 1 is of order u^2
        EXPECT_NEAR(g.F1, 1.0, bound) << u;
        EXPECT_NEAR(g.F2, 1.0, bound) << u;
        EXPECT_NEAR(g.F3, 1.0, bound) << u;
        if (u >= 1e-7) {
            EXPECT_LT(g.F1, 1.0) << u; // compression always softens
        }
    }
    // Both ways of evaluating meet where they switch (x = 2u = 1).
    const AxialLoadFactorValues below = AxialLoadFactors(0.5 - 1e-12);
    const AxialLoadFactorValues above = AxialLoadFactors(0.5 + 1e-12);
    EXPECT_NEAR(below.F1, above.F1, 1e-11);
    EXPECT_NEAR(below.F2, above.F2, 1e-11);
    EXPECT_NEAR(below.F3, above.F3, 1e-11);
    // At u = pi/2 (x = pi) the transverse stiffness of the member is gone.
    EXPECT_NEAR(AxialLoadFactors(2 * std::atan(1.0)).F1, 0.0, 1e-14);
}

// For a plain beam without shear the factors give the exact stiffness of a prismatic
// member under axial compression.
TEST(BeamCoefficients, AxialLoadGivesTheStiffnessOfACompressedMember)
{
    const double L = 3, E = 200, I = 5;
    const double EI = E * I;
    for (double u : {0.2, 0.45, 0.55, 1.0, 1.4}) {
        SCOPED_TRACE(u);
        const double x = 2 * u;
        const double P = EI * (2 * u / L) * (2 * u / L);
        const BeamCoefficientValues v = BeamCoefficientsOf(PlainBeam, L, {2, I, 0, P}, E);
        const double D = 2 - 2 * std::cos(x) - x * std::sin(x);
        const double k2 = x * x * x * std::sin(x) / D * EI / (L * L * L);
        const double k4 = x * (std::sin(x) - x * std::cos(x)) / D * EI / L;
        const double carry = x * (x - std::sin(x)) / D * EI / L;
        EXPECT_NEAR(v.k2, k2, 1e-9 * k2);
        EXPECT_NEAR(v.k4, k4, 1e-9 * k4);
        EXPECT_NEAR(-v.k4 - L * v.k3, carry, 1e-9 * carry);
        EXPECT_DOUBLE_EQ(v.kA, 2 * E / L);
        EXPECT_DOUBLE_EQ(v.u, u);
        EXPECT_EQ(v.axialLoad, P);
        EXPECT_EQ(v.kind, AxialLoadBeam);
    }
    // Without a moment of inertia the axial load does not apply.
    const BeamCoefficientValues truss = BeamCoefficientsOf(BendBeam, L, {2, 0, 0, 50}, E);
    EXPECT_EQ(truss.kind, BendBeam);
    EXPECT_EQ(truss.u, 0);
}

// The coefficient step on the beam table, as the beam pass runs it.
TEST(BeamCoefficients, StepWritesTheBeamSlots)
{
    Analysis a;
    ReaderTables t;
    t.PropTable.Create(2);
    t.PropTable(1) = {3, 4, 0, 0};
    t.PropTable(2) = {3, 4, 6, 0.5};
    t.MatlTable.Create(1);
    t.MatlTable(1) = {10, 0.3, 1e-5, 7.8, MaterialMode::PlaneStress};
    ModelStore& m = a.Model;
    m.Beams.Create(4);
    const struct
    {
        int prop, matl;
        double L;
        int kind;
    } beams[] = {
        {1, 1, 2, PlainBeam}, {2, 1, 2, BendBeam}, {2, 5, 0, PinBeam}, {7, 1, 2, PlainBeam}};
    for (int b = 1; b <= 4; ++b) {
        m.Beams(b).propId = beams[b - 1].prop;
        m.Beams(b).matlId = beams[b - 1].matl;
        m.Beams(b).length = beams[b - 1].L;
        m.Beams(b).kind = beams[b - 1].kind;
        ComputeBeamCoefficients(a, b, t);
    }
    // Beam 1 is the plain case of the table above; the row takes its values.
    const BeamRow& b1 = m.Beams(1);
    EXPECT_EQ(b1.kA, 15);
    EXPECT_EQ(b1.k4, 80);
    EXPECT_EQ(b1.expansion, 1e-5);
    EXPECT_EQ(b1.density, 7.8);
    EXPECT_EQ(b1.axialLoad, 0);
    EXPECT_EQ(b1.elementKind, PlainBeam);

    // BEND under an axial load: only its rotational term is scaled; it becomes kind 4.
    const double u = 1.0 * std::sqrt(0.5 / 40.0);
    const BeamRow& b2 = m.Beams(2);
    EXPECT_EQ(b2.elementKind, AxialLoadBeam);
    EXPECT_EQ(b2.k2, 0);
    EXPECT_EQ(b2.k3, 0);
    EXPECT_DOUBLE_EQ(b2.k4, 20 * AxialLoadFactors(u).F3);
    EXPECT_EQ(b2.phi, 2);
    EXPECT_EQ(b2.axialLoad, 0.5);
    EXPECT_DOUBLE_EQ(b2.u, u);

    // Zero length: springs straight from the PROP, no MATL needed, no axial load.
    const BeamRow& b3 = m.Beams(3);
    EXPECT_EQ(b3.kA, 3);
    EXPECT_EQ(b3.k2, 4);
    EXPECT_EQ(b3.k3, 0);
    EXPECT_EQ(b3.k4, 6);
    EXPECT_EQ(b3.elementKind, PinBeam);
    EXPECT_EQ(b3.phi, 0);

    // A PROP id outside the table: reported, nothing else is read.
    EXPECT_EQ(m.Beams(4).propId, 7);
    EXPECT_EQ(m.Beams(4).expansion, 0);
    EXPECT_EQ(a.State.FatalText, "PROP missing from beam 4\r\n");
}

} // namespace
} // namespace tavu

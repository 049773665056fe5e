#include "model/BeamCoefficients.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace tavu {
namespace {

TEST(BeamCoefficients, FollowTheBeamKind)
{
    const struct
    {
        int kind;
        double L, A, I, As, E;
        std::array<double, 5> kA_k2_k3_k4_phi;
    } cases[] = {
        // 4EI/L = 80, 6EI/L^2 = 60, 12EI/L^3 = 60.
        {PlainBeam, 2, 3, 4, 0, 10, {15, 60, -60, 80, 0}},
        {CurvBeam, 2, 3, 4, 0, 10, {15, 60, -60, 80, 0}},
        {PlainBeam, 2, 3, 4, 6, 10, {15, 20, -20, 40, 2}}, // shear: phi = 12EI/(As L^2)
        {PinBeam, 2, 3, 4, 0, 10, {15, 15, 0, 0, 0}},
        {PinBeam, 2, 3, 4, 6, 10, {15, 10, 0, 0, 2}},
        {BendBeam, 2, 3, 4, 0, 10, {15, 0, 0, 20, 0}},
        {PlainBeam, 4, 2, 0, 0, 100, {50, 0, 0, 0, 0}}, // a two-force member
    };
    for (const auto& c : cases) {
        const BeamCoefficientValues v = BeamCoefficientsOf(c.kind, c.L, {c.A, c.I, c.As, 0}, c.E);
        for (int k = 0; k < 5; ++k)
            EXPECT_DOUBLE_EQ((std::array{v.kA, v.k2, v.k3, v.k4, v.phi})[k], c.kA_k2_k3_k4_phi[k])
                << "case " << &c - cases << ", term " << k;
        EXPECT_EQ(v.kind, c.kind);
    }
}

// For a plain beam the factors give the exact stiffness of a member under axial
// compression, on both sides of x = 2u = 1 where the series gives way to the closed form.
TEST(BeamCoefficients, AxialLoadGivesTheStiffnessOfACompressedMember)
{
    const double L = 3, E = 200, I = 5, EI = E * I;
    for (double u : {0.2, 0.45, 0.499999, 0.500001, 0.55, 1.0, 1.4}) {
        const double x = 2 * u, P = EI * (x / L) * (x / L);
        const BeamCoefficientValues v = BeamCoefficientsOf(PlainBeam, L, {2, I, 0, P}, E);
        const double D = 2 - 2 * std::cos(x) - x * std::sin(x);
        const double k2 = x * x * x * std::sin(x) / D * EI / (L * L * L);
        const double k4 = x * (std::sin(x) - x * std::cos(x)) / D * EI / L;
        const double carry = x * (x - std::sin(x)) / D * EI / L; // -k4 - L k3
        EXPECT_NEAR(v.k2, k2, 1e-9 * k2) << u;
        EXPECT_NEAR(v.k4, k4, 1e-9 * k4) << u;
        EXPECT_NEAR(-v.k4 - L * v.k3, carry, 1e-9 * carry) << u;
        EXPECT_DOUBLE_EQ(v.kA, 2 * E / L);
        EXPECT_DOUBLE_EQ(v.u, u);
        EXPECT_EQ(v.axialLoad, P);
        EXPECT_EQ(v.kind, AxialLoadBeam);
    }
    // Without a moment of inertia the axial load does not apply.
    EXPECT_EQ(BeamCoefficientsOf(BendBeam, L, {2, 0, 0, 50}, E).kind, BendBeam);

    // Small loads: F = 1 - c u^2 + O(u^4) with c = 2/5, 1/15, 2/15 to full precision,
    // where the closed forms would lose every digit to cancellation.
    for (double u : {1e-2, 1e-3, 1e-5, 1e-12}) {
        const AxialLoadFactorValues f = AxialLoadFactors(u);
        const double tol = 1e-15 + u * u * u * u;
        EXPECT_NEAR(f.F1, 1 - 0.4 * u * u, tol) << u;
        EXPECT_NEAR(f.F2, 1 - u * u / 15, tol) << u;
        EXPECT_NEAR(f.F3, 1 - 2 * u * u / 15, tol) << u;
    }
    EXPECT_NEAR(AxialLoadFactors(2 * std::atan(1.0)).F1, 0.0, 1e-14); // x = pi: buckled
}

// The step on the beam table, as the beam pass runs it after measuring the beam.
TEST(BeamCoefficients, StepFillsTheBeamRow)
{
    Analysis a;
    ReaderTables t;
    t.PropTable.Create(2);
    t.PropTable(1) = {3, 4, 0, 0};
    t.PropTable(2) = {3, 4, 6, 0.5};
    t.MatlTable.Create(1);
    t.MatlTable(1) = {10, 0.3, 1e-5, 7.8, MaterialMode::PlaneStress};
    // prop, matl, length, kind: plain, BEND with axial load, zero length, missing PROP
    const double beams[][4] = {
        {1, 1, 2, PlainBeam}, {2, 1, 2, BendBeam}, {2, 5, 0, PinBeam}, {7, 1, 2, PlainBeam}};
    a.Model.Beams.Create(4);
    for (int b = 1; b <= 4; ++b) {
        BeamRow& row = a.Model.Beams(b);
        row.propId = static_cast<int>(beams[b - 1][0]);
        row.matlId = static_cast<int>(beams[b - 1][1]);
        row.length = beams[b - 1][2];
        row.kind = static_cast<int>(beams[b - 1][3]);
        ComputeBeamCoefficients(a, b, t);
    }
    const BeamRow& plain = a.Model.Beams(1);
    EXPECT_EQ((std::array{plain.k4, plain.expansion, plain.density}),
              (std::array{80.0, 1e-5, 7.8}));
    EXPECT_EQ(plain.elementKind, PlainBeam);
    // BEND under an axial load: only its rotational term is scaled; its kind changes.
    const BeamRow& bend = a.Model.Beams(2);
    const double u = std::sqrt(0.5 / 40.0);
    EXPECT_EQ(bend.elementKind, AxialLoadBeam);
    EXPECT_DOUBLE_EQ(bend.k4, 20 * AxialLoadFactors(u).F3);
    EXPECT_EQ(bend.axialLoad, 0.5);
    EXPECT_DOUBLE_EQ(bend.u, u);
    // Zero length: springs straight from the PROP, no MATL needed, no axial load.
    const BeamRow& spring = a.Model.Beams(3);
    EXPECT_EQ((std::array{spring.kA, spring.k2, spring.k3, spring.k4, spring.axialLoad}),
              (std::array{3.0, 4.0, 0.0, 6.0, 0.0}));
    EXPECT_EQ(spring.elementKind, PinBeam);
    EXPECT_EQ(a.State.FatalText, "PROP missing from beam 4\r\n");
}

} // namespace
} // namespace tavu

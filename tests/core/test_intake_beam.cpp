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
        EXPECT_EQ((std::array{v.kA, v.k2, v.k3, v.k4, v.phi}), c.kA_k2_k3_k4_phi) << &c - cases;
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
    for (double u : {1e-2, 1e-3, 1e-5, 1e-12, 1e-200}) {
        const AxialLoadFactorValues f = AxialLoadFactors(u);
        const double tol = 1e-15 + u * u * u * u;
        EXPECT_NEAR(f.F1, 1 - 0.4 * u * u, tol) << u;
        EXPECT_NEAR(f.F2, 1 - u * u / 15, tol) << u;
        EXPECT_NEAR(f.F3, 1 - 2 * u * u / 15, tol) << u;
    }
    EXPECT_NEAR(AxialLoadFactors(2 * std::atan(1.0)).F1, 0.0, 1e-14); // x = pi: buckled
}

// The step on the beam row, as the beam pass runs it after measuring the beam.
TEST(BeamCoefficients, StepFillsTheBeamRow)
{
    Analysis a;
    ReaderTables t;
    t.PropTable.Create(1);
    t.PropTable(1) = {3, 4, 6, 0.5};
    t.MatlTable.Create(1);
    t.MatlTable(1) = {10, 0.3, 1e-5, 7.8, MaterialMode::PlaneStress};
    a.Model.Beams.Create(2);
    a.Model.Beams(1) = {0, 0, 0, BendBeam, 1, 1, 0, 0, 2};
    a.Model.Beams(2) = {0, 0, 0, PinBeam, 1, 5, 0, 0, 0};
    for (int b = 1; b <= 2; ++b)
        ComputeBeamCoefficients(a, b, t);
    // BEND under an axial load: only its rotational term is scaled; its kind changes.
    const BeamRow& bend = a.Model.Beams(1);
    const double u = std::sqrt(0.5 / 40.0);
    EXPECT_EQ((std::array{bend.kA, bend.k2, bend.k3, bend.phi, bend.axialLoad, bend.expansion,
                          bend.density}),
              (std::array{15.0, 0.0, 0.0, 2.0, 0.5, 1e-5, 7.8}));
    EXPECT_DOUBLE_EQ(bend.k4, 20 * AxialLoadFactors(u).F3);
    EXPECT_DOUBLE_EQ(bend.u, u);
    EXPECT_EQ(bend.elementKind, AxialLoadBeam);
    // Zero length: springs straight from the PROP, no MATL needed, no axial load.
    const BeamRow& spring = a.Model.Beams(2);
    EXPECT_EQ((std::array{spring.kA, spring.k2, spring.k3, spring.k4, spring.axialLoad}),
              (std::array{3.0, 4.0, 0.0, 6.0, 0.0}));
    EXPECT_EQ(spring.elementKind, PinBeam);
}

} // namespace
} // namespace tavu

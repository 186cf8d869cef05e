#include "analysis/particle_size.h"

#include <gtest/gtest.h>

#include <limits>

namespace vespian {
namespace {

TEST(MetalDispersion, SurfaceAtomsOverMetalAtomsByHand) {
    // 1 % Pt on 1 g is 51.261 µmol of Pt; 10 µmol of H2 at two Pt per H2 covers 20 of them.
    const Dispersion d = metalDispersion(10.0, 2.0, 195.08, 0.01, 1.0);
    ASSERT_EQ(d.status, MetalStatus::Ok);
    EXPECT_NEAR(d.value, 20.0 / 51.261021, 1e-7);
    // Twice the sample holds twice the metal: half the dispersion.
    EXPECT_NEAR(metalDispersion(10.0, 2.0, 195.08, 0.01, 2.0).value, 0.5 * d.value, 1e-12);
}

TEST(MetalDispersion, ImpossibleValuesAreFlaggedNotHidden) {
    const Dispersion above = metalDispersion(60.0, 2.0, 195.08, 0.01, 1.0);
    EXPECT_EQ(above.status, MetalStatus::DispersionAboveOne);
    EXPECT_NEAR(above.value, 120.0 / 51.261021, 1e-6);
    EXPECT_EQ(metalDispersion(10.0, 2.0, 195.08, 0.0, 1.0).status, MetalStatus::InvalidSample);
    EXPECT_EQ(metalDispersion(10.0, 2.0, 195.08, 0.01, 0.0).status, MetalStatus::InvalidSample);
    EXPECT_EQ(metalDispersion(10.0, 0.0, 195.08, 0.01, 1.0).status, MetalStatus::InvalidSample);
    EXPECT_EQ(metalDispersion(0.0, 2.0, 195.08, 0.01, 1.0).status, MetalStatus::NoDispersion);
    EXPECT_EQ(metalDispersion(-3.0, 2.0, 195.08, 0.01, 1.0).value, 0.0);
    EXPECT_EQ(metalDispersion(std::numeric_limits<double>::quiet_NaN(), 2.0, 195.08, 0.01, 1.0).status,
              MetalStatus::NoDispersion);
}

TEST(ParticleSize, HemisphereModelAgainstHandComputedAtomVolumes) {
    // Pt: v_m = 195.08 / (21.45 × 6.02214e23) cm³ = 0.015102 nm³; 6 v_m / a_m = 1.12283 nm.
    const MetalConstants& pt = metalConstants(Metal::Platinum);
    EXPECT_EQ(pt.symbol, "Pt");
    EXPECT_NEAR(meanParticleSize(1.0, pt).diameterNm, 1.122825, 1e-5);
    EXPECT_NEAR(meanParticleSize(0.5, pt).diameterNm, 2.245651, 1e-5);
    // Pd: 0.0147017 nm³ over 0.0787 nm² → 1.120842 nm at full dispersion; at D = 0.25, 4.4834.
    EXPECT_NEAR(meanParticleSize(0.25, metalConstants(Metal::Palladium)).diameterNm, 4.483368, 1e-5);
    // Rh: 0.0137700 nm³ over 0.0752 nm² → 1.098673 nm.
    EXPECT_NEAR(meanParticleSize(1.0, metalConstants(Metal::Rhodium)).diameterNm, 1.098673, 1e-5);
}

TEST(ParticleSize, NoSizeOutsideZeroToOneAndEveryMetalHasSaneConstants) {
    const MetalConstants& pt = metalConstants(Metal::Platinum);
    EXPECT_EQ(meanParticleSize(0.0, pt).status, MetalStatus::NoDispersion);
    EXPECT_EQ(meanParticleSize(1.1605, pt).status, MetalStatus::DispersionAboveOne);
    EXPECT_EQ(meanParticleSize(1.1605, pt).diameterNm, 0.0);
    EXPECT_EQ(meanParticleSize(std::numeric_limits<double>::infinity(), pt).diameterNm, 0.0);
    ASSERT_EQ(supportedMetals().size(), static_cast<size_t>(kMetalCount));
    for (const MetalConstants& m : supportedMetals()) {
        EXPECT_EQ(&metalConstants(m.metal), &m);
        // Close-packed metals: one atom takes 0.06–0.09 nm², and the full-dispersion size lies
        // near one nanometre.
        EXPECT_GT(m.surfaceAtomAreaNm2, 0.06) << m.symbol;
        EXPECT_LT(m.surfaceAtomAreaNm2, 0.09) << m.symbol;
        const double d = meanParticleSize(1.0, m).diameterNm;
        EXPECT_GT(d, 0.9) << m.symbol;
        EXPECT_LT(d, 1.25) << m.symbol;
    }
}

}  // namespace
}  // namespace vespian

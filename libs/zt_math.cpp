// The numeric library behind the pore-size report. Nothing in the program fixes its formulas
// beyond their arguments and results; the physics chosen here is the textbook nitrogen-at-77 K
// set:
//
// - _t: Halsey's thickness equation for N2 at 77 K,
//       t = 3.54 Å × (5 / −ln(p/p0))^(1/3)
//   (3.54 Å is the thickness of one statistical N2 monolayer).
// - _r: the Kelvin radius plus the adsorbed layer on the pore wall,
//       r = r_k + t,   r_k = −2γV_m / (RT ln(p/p0)) = −9.53 Å / ln(p/p0)
//   with γ = 8.85 mN/m, V_m = 34.7 cm³/mol, T = 77.35 K (those constants give 9.55 Å; the
//   customary rounded constant 9.53 Å is used).
// - _U_mlg: a BJH-style finite difference, the distribution dV/dr between neighbouring points:
//       distribution[i] = |(adsorbed[i−1] − adsorbed[i]) / (poreSize[i−1] − poreSize[i])|
//   and 0 for the first point or for two equal pore sizes. The thickness table is accepted for
//   the contract but not used: the correction of the full BJH method for the thinning of the
//   layer in the larger pores is left out.
//
// Pressures outside the open interval (0, 1), and NaN, give 0 instead of NaN or infinity.

#include "libs/zt_math.h"

#include <cmath>
#include <limits>

namespace vespian::ztmath {

namespace {

constexpr double kMonolayerAngstrom = 3.54;
constexpr double kKelvinAngstrom = 9.53;

bool validPressure(float p) { return p > 0.0f && p < 1.0f; }  // false for NaN too

}  // namespace

int32_t _Abs(int32_t value) {
    if (value == std::numeric_limits<int32_t>::min()) {
        // −INT32_MIN does not fit an int32 (it would overflow, undefined behaviour); the nearest
        // representable magnitude is INT32_MAX, so the result saturates there.
        return std::numeric_limits<int32_t>::max();
    }
    return value < 0 ? -value : value;
}

double _t(float relativePressure) {
    if (!validPressure(relativePressure)) {
        return 0.0;
    }
    const double lnP = std::log(static_cast<double>(relativePressure));  // < 0
    return kMonolayerAngstrom * std::cbrt(5.0 / -lnP);
}

double _r(float relativePressure) {
    if (!validPressure(relativePressure)) {
        return 0.0;
    }
    const double lnP = std::log(static_cast<double>(relativePressure));
    const double kelvin = -kKelvinAngstrom / lnP;
    return kelvin + _t(relativePressure);
}

double _U_mlg(int32_t pointIndex, float* /*thickness: see the file comment*/, float* poreSize,
              float* adsorbed, float* distribution) {
    if (poreSize == nullptr || adsorbed == nullptr || distribution == nullptr || pointIndex < 0 ||
        pointIndex >= kPoreTableSize) {
        return 0.0;
    }
    double value = 0.0;
    if (pointIndex > 0) {
        const double dr = static_cast<double>(poreSize[pointIndex - 1]) - poreSize[pointIndex];
        const double dv = static_cast<double>(adsorbed[pointIndex - 1]) - adsorbed[pointIndex];
        if (dr != 0.0) {
            value = std::fabs(dv / dr);
            if (!std::isfinite(value) || value > std::numeric_limits<float>::max()) {
                value = 0.0;
            }
        }
    }
    distribution[pointIndex] = static_cast<float>(value);
    return value;
}

}  // namespace vespian::ztmath

#pragma once
// The numeric library's contract: absolute value, adsorbed-layer thickness, pore size and the
// pore-size distribution of one point. The names are the library's exported names.

#include <cstdint>

namespace vespian::ztmath {

// Capacity of each of the pore point tables that _U_mlg is given.
inline constexpr int32_t kPoreTableSize = 200;

// |value|; INT32_MIN has no positive counterpart and saturates to INT32_MAX.
int32_t _Abs(int32_t value);
// Adsorbed-layer thickness (Å) at a relative pressure p/p0 in (0, 1); 0 outside (or NaN).
double _t(float relativePressure);
// Fills distribution[pointIndex] from the thickness, pore size and adsorbed-amount tables and
// returns the value stored; an index outside 0 .. kPoreTableSize − 1 or a null pore-size,
// adsorbed-amount or output table does nothing and returns 0.
double _U_mlg(int32_t pointIndex, float* thickness, float* poreSize, float* adsorbed, float* distribution);
// Pore radius (Å) at a relative pressure p/p0 in (0, 1); 0 outside (or NaN).
double _r(float relativePressure);

}  // namespace vespian::ztmath

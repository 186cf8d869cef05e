#pragma once
// The detector peaks of gas pulses on their way to the detector: each injection, desorption
// step and calibration loop gives one skewed peak (a steeper front than tail, as a pulse that
// tails through the lines). A fixed list: the model never allocates while it runs.

#include <array>

namespace vespian::sim {

struct GasPulse {
    double apexS = 0.0;    // instrument time of the maximum
    double heightMv = 0.0;
    double frontS = 1.0;   // standard deviation of the rising half
    double tailS = 2.0;    // standard deviation of the falling half
};

class PeakTrain {
public:
    static constexpr int kCapacity = 16;

    // A full list gives up the pulse that ends first, which is nearly over anyway.
    void add(const GasPulse& pulse);
    // Forgets the pulses that no longer reach the detector at time `seconds`.
    void expire(double seconds);
    double signalAt(double seconds) const;

private:
    std::array<GasPulse, kCapacity> pulses_{};
    int count_ = 0;
};

}  // namespace vespian::sim

#pragma once
// The detector peaks of gas pulses on their way to the detector: each injection, desorption
// step and calibration loop gives one skewed peak, steeper in front than behind. A pulse that
// has passed the mixing volumes of the lines and the cell tails off exponentially, as the
// instrument's peaks do: its Gaussian top turns into an exponential decay where the two fall
// equally fast, so the tail takes minutes to come back to the baseline. A fixed list: the
// model never allocates while it runs.

#include <array>

namespace vespian::sim {

struct GasPulse {
    double apexS = 0.0;    // instrument time of the maximum
    double heightMv = 0.0;
    double frontS = 1.0;   // standard deviation of the rising half
    double tailS = 2.0;    // standard deviation of the falling half's top
    double decayS = 0.0;   // time constant of the exponential tail; 0: the tail stays Gaussian
};

// The pulse's shape at `seconds`, 1 at the apex.
double pulseShape(const GasPulse& pulse, double seconds);
// From this time on the pulse lies far below the detector's resolution.
double pulseEnd(const GasPulse& pulse);

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

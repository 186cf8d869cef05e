#pragma once
// The analyser's gas path as the valves route it. Channel 1 carries the carrier gas through the
// detector's reference cell, the sample tube and the measuring cell. Channel 2 takes its gas from
// the treatment port that valve 0 or 1 opens and either joins the carrier before the sample
// (treatment) or, with valve 2, flushes the dosing loop to the vent. Valve 3 switches the filled
// loop into the carrier: one pulse. Valve 4 lets the carrier bypass the sample tube; valve 6
// sends the sample tube's outlet to the vent instead of the detector; valve 5 puts the cold trap
// in the outlet; valve 7 only chooses where the detector's outlet goes.

#include <array>

namespace vespian::sim {

inline constexpr int kGasPathValves = 8;

enum GasPathValve : int {
    kValveTreatment1 = 0,
    kValveTreatment2 = 1,
    kValveLoopFill = 2,
    kValveLoopInject = 3,
    kValveBypass = 4,
    kValveColdTrap = 5,
    kValveSampleToVent = 6,
    kValveDetectorOutlet = 7,
};

using ValvePositions = std::array<bool, kGasPathValves>;

// The detector's measuring cell sees the gas that passed the sample.
inline bool detectorSeesSample(const ValvePositions& v) { return !v[kValveBypass] && !v[kValveSampleToVent]; }
// A treatment port is open and feeds channel 2.
inline bool treatmentPortOpen(const ValvePositions& v) { return v[kValveTreatment1] || v[kValveTreatment2]; }
// Channel 2's gas flows over the sample.
inline bool treatmentOverSample(const ValvePositions& v) {
    return treatmentPortOpen(v) && !v[kValveLoopFill] && !v[kValveBypass];
}
// Channel 2's gas flushes the dosing loop (the loop in its fill position).
inline bool loopFilling(const ValvePositions& v) {
    return treatmentPortOpen(v) && v[kValveLoopFill] && !v[kValveLoopInject];
}

// The dosing loop: filled with channel 2's gas while it is flushed, emptied into the carrier when
// switched in.
class DosingLoop {
public:
    static constexpr double kVolumeMl = 0.5;

    // Called whenever the routing or channel 2 may have changed.
    void update(const ValvePositions& v, int channel2GasCode, bool channel2Flowing) {
        if (loopFilling(v) && channel2Flowing) {
            full_ = true;
            gasCode_ = channel2GasCode;
        }
    }
    // The loop valve went on: true when a pulse of `gasCode()` leaves the loop.
    bool inject() {
        const bool pulse = full_;
        full_ = false;
        return pulse;
    }
    bool full() const { return full_; }
    int gasCode() const { return gasCode_; }

private:
    bool full_ = false;
    int gasCode_ = 0;
};

}  // namespace vespian::sim

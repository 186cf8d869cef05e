#pragma once
// The automatic desorption of the four injector positions. After the operator adsorbs samples in
// the injector dialog, the adsorption time is counted in minutes (timer 6120); then the first
// adsorbed position is desorbed, and each further one after the desorption interval (timer 6130)
// or, when asked, as soon as the previous desorption peak has been recognised. Positions are
// always served in the order 1, 2, 3, 4.
//
// Each input returns the effects the desktop layer applies in order: zero the signal, send the
// desorption step, start or kill a minute timer, repaint. The flags, the minute counter and which
// timers run are kept here. The options are those of the peak settings: autoDesorb, autoZero,
// desorbAfterPeak, adsorptionMinutes and desorbIntervalMinutes.

#include <array>
#include <cstdint>
#include <vector>

#include "trace/init_data.h"
#include "link/command_set.h"

namespace vespian {

inline constexpr int32_t kInjectorPositionCount = 4;

enum class DesorptionEffectKind {
    ZeroSignal,  // add the trace's newest point to its zero offset
    SendCommand,
    StartTimer,  // `timerId` with `periodMs`
    KillTimer,   // `timerId`
    Repaint,
};

struct DesorptionEffect {
    DesorptionEffectKind kind = DesorptionEffectKind::Repaint;
    int32_t timerId = 0;
    int32_t periodMs = 0;
    Command command{};
};

class AutoDesorption {
public:
    // The injector dialog was closed. `adsorbed` is each position's state after the dialog
    // (adsorbed or not); `adsorbUsed` tells whether its adsorb button was pressed.
    std::vector<DesorptionEffect> injectorDialogClosed(bool adsorbUsed,
                                                       const std::array<bool, kInjectorPositionCount>& adsorbed,
                                                       const PeakSettings& settings);
    // One minute of the adsorption time (timer 6120).
    std::vector<DesorptionEffect> adsorptionMinute(const PeakSettings& settings);
    // One minute of the desorption interval (timer 6130).
    std::vector<DesorptionEffect> intervalMinute(const PeakSettings& settings);
    // The peak recogniser completed a peak in the comparison method. Empty when no step was
    // taken, so the display tick goes on as usual.
    std::vector<DesorptionEffect> peakRecognised(const PeakSettings& settings);
    // The measurement was stopped: the minute timers end.
    std::vector<DesorptionEffect> measurementStopped();

    bool positionAdsorbed(int32_t position) const;  // position 1..4
    bool waitingForAdsorption() const { return waiting_; }
    bool sequenceStarted() const { return started_; }
    int32_t minuteCounter() const { return minutes_; }
    bool adsorptionTimerRunning() const { return adsorptionTimer_; }
    bool intervalTimerRunning() const { return intervalTimer_; }

private:
    // First adsorbed position from `first` on, or 0.
    int32_t firstAdsorbed(int32_t first) const;
    void desorb(int32_t position, const PeakSettings& settings, std::vector<DesorptionEffect>* out);
    void startTimer(int32_t id, std::vector<DesorptionEffect>* out);
    void killTimer(int32_t id, std::vector<DesorptionEffect>* out);

    std::array<bool, kInjectorPositionCount> adsorbed_{};
    bool waiting_ = false;
    bool started_ = false;
    int32_t minutes_ = 0;
    bool adsorptionTimer_ = false;
    bool intervalTimer_ = false;
};

// The positions the sequence goes on with once the injector dialog has closed. The dialog's own
// record still counts a position the sequence has already desorbed as adsorbed, so it cannot be
// taken as it stands: an adsorb adds the ticked positions (bit 0 = position 1) to those still
// waiting, a desorb takes them away, and a dialog left without a button changes nothing.
std::array<bool, kInjectorPositionCount> positionsAfterInjectorDialog(const AutoDesorption& sequence, bool adsorb,
                                                                     bool desorb, uint8_t tickedMask);

}  // namespace vespian

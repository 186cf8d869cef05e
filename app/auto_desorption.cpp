#include "app/auto_desorption.h"

#include "app/command_ids.h"

namespace vespian {

std::vector<DesorptionEffect> AutoDesorption::injectorDialogClosed(
    bool adsorbUsed, const std::array<bool, kInjectorPositionCount>& adsorbed, const PeakSettings& settings) {
    std::vector<DesorptionEffect> out;
    minutes_ = 0;
    // The dialog's states also carry positions the operator desorbed by hand.
    adsorbed_ = adsorbed;
    if (adsorbUsed) {
        // A new adsorption starts the count afresh.
        waiting_ = true;
        started_ = true;
        killTimer(kTimerAdsorptionMinutes, &out);
        killTimer(kTimerDesorbInterval, &out);
        if (settings.autoDesorb) startTimer(kTimerAdsorptionMinutes, &out);
    }
    out.push_back({DesorptionEffectKind::Repaint});
    return out;
}

std::vector<DesorptionEffect> AutoDesorption::adsorptionMinute(const PeakSettings& settings) {
    std::vector<DesorptionEffect> out;
    if (!adsorptionTimer_) return out;  // a tick that was already queued when the timer died
    if (++minutes_ < settings.adsorptionMinutes) return out;
    waiting_ = false;
    minutes_ = 0;
    if (const int32_t position = firstAdsorbed(1)) desorb(position, settings, &out);
    killTimer(kTimerAdsorptionMinutes, &out);
    startTimer(kTimerDesorbInterval, &out);
    return out;
}

std::vector<DesorptionEffect> AutoDesorption::intervalMinute(const PeakSettings& settings) {
    std::vector<DesorptionEffect> out;
    if (!intervalTimer_) return out;
    if (++minutes_ < settings.desorbIntervalMinutes) return out;
    minutes_ = 0;
    // Position 1 was served when the adsorption time ended.
    if (const int32_t position = firstAdsorbed(2)) desorb(position, settings, &out);
    if (firstAdsorbed(2) == 0) killTimer(kTimerDesorbInterval, &out);
    return out;
}

std::vector<DesorptionEffect> AutoDesorption::peakRecognised(const PeakSettings& settings) {
    std::vector<DesorptionEffect> out;
    if (!settings.autoDesorb || !settings.desorbAfterPeak) return out;
    if (!started_ || waiting_) return out;  // the samples are still adsorbing
    const int32_t position = firstAdsorbed(1);
    if (position == 0) return out;
    minutes_ = 0;  // the next interval counts from this desorption
    desorb(position, settings, &out);
    if (position == kInjectorPositionCount) killTimer(kTimerDesorbInterval, &out);
    return out;
}

std::vector<DesorptionEffect> AutoDesorption::measurementStopped() {
    std::vector<DesorptionEffect> out;
    killTimer(kTimerAdsorptionMinutes, &out);
    killTimer(kTimerDesorbInterval, &out);
    minutes_ = 0;
    return out;
}

bool AutoDesorption::positionAdsorbed(int32_t position) const {
    return position >= 1 && position <= kInjectorPositionCount && adsorbed_[position - 1];
}

int32_t AutoDesorption::firstAdsorbed(int32_t first) const {
    for (int32_t p = first; p <= kInjectorPositionCount; ++p) {
        if (adsorbed_[p - 1]) return p;
    }
    return 0;
}

void AutoDesorption::desorb(int32_t position, const PeakSettings& settings, std::vector<DesorptionEffect>* out) {
    // Zeroing first puts the desorption peak on a fresh baseline.
    if (settings.autoZero) out->push_back({DesorptionEffectKind::ZeroSignal});
    DesorptionEffect send{DesorptionEffectKind::SendCommand};
    send.command = AutoDesorbStep(position);
    out->push_back(send);
    adsorbed_[position - 1] = false;
}

void AutoDesorption::startTimer(int32_t id, std::vector<DesorptionEffect>* out) {
    out->push_back({DesorptionEffectKind::StartTimer, id, kTimerMinuteMs});
    if (id == kTimerAdsorptionMinutes) adsorptionTimer_ = true;
    if (id == kTimerDesorbInterval) intervalTimer_ = true;
}

void AutoDesorption::killTimer(int32_t id, std::vector<DesorptionEffect>* out) {
    bool& running = id == kTimerAdsorptionMinutes ? adsorptionTimer_ : intervalTimer_;
    if (!running) return;
    running = false;
    out->push_back({DesorptionEffectKind::KillTimer, id});
}

std::array<bool, kInjectorPositionCount> positionsAfterInjectorDialog(const AutoDesorption& sequence, bool adsorb,
                                                                     bool desorb, uint8_t tickedMask) {
    std::array<bool, kInjectorPositionCount> positions{};
    for (int32_t p = 1; p <= kInjectorPositionCount; ++p) {
        const bool ticked = ((tickedMask >> (p - 1)) & 1u) != 0;
        bool waiting = sequence.positionAdsorbed(p);
        if (ticked && adsorb) waiting = true;
        if (ticked && desorb) waiting = false;
        positions[static_cast<size_t>(p - 1)] = waiting;
    }
    return positions;
}

}  // namespace vespian

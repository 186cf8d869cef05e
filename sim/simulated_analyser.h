#pragma once
// The simulated analyser: takes the program's command bytes and produces the frames the
// instrument sends, one 200 ms period at a time, on instrument time (the caller decides how
// fast that runs against the wall). Deterministic from its seed: the same seed and the same
// commands at the same periods give the same bytes.
//
// The model: a detector baseline with noise and slow drift; a peak for each desorption step and,
// in calibration mode, for each calibration loop; a furnace that runs the loaded programme after
// "start", with temperature-programmed desorption peaks as it heats; flows that follow their
// setpoints; valves (a switch gives a small pressure blip) and cleaning as plain state. Tests and
// the console can inject link faults between periods.
//
// Thread-safe: commands come from one thread while frames are produced on another.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "sim/command_parser.h"
#include "sim/desorption_sites.h"
#include "sim/flow_channels.h"
#include "sim/furnace_model.h"
#include "sim/peak_train.h"
#include "sim/random_source.h"

namespace vespian::sim {

inline constexpr double kPeriodSeconds = 0.2;  // one trace point
inline constexpr int kDetectorFramesPerPeriod = 72;
// Besides the detector frames a period carries 8 temperature frames, 6 frames for each of the
// two displayed flows and 2 auxiliary frames, spread evenly between the detector frames.
inline constexpr int kFramesPerPeriod = 94;
inline constexpr size_t kPeriodBytes = kFramesPerPeriod * 4;  // 1880 bytes per second
// What 38400 baud (ten bits a byte) carries in one period; injected faults fill up to this.
inline constexpr size_t kMaxPeriodBytes = 768;
inline constexpr int kValves = 8;
inline constexpr int kCleaningChannels = 2;
inline constexpr int kInjectorPositions = 4;

class SimulatedAnalyser {
public:
    explicit SimulatedAnalyser(uint64_t seed = 1);
    SimulatedAnalyser(const SimulatedAnalyser&) = delete;
    SimulatedAnalyser& operator=(const SimulatedAnalyser&) = delete;

    // Command bytes as the program writes them, in any chunking. They act at the current
    // instrument time, that is at the end of the last emitted period.
    void receive(const uint8_t* bytes, size_t length);
    // Advances instrument time by one period and writes that period's frames; returns the bytes
    // written. Writes nothing while not streaming or silenced; the instrument runs on all the
    // same. Pass kMaxPeriodBytes of room: frames that do not fit are left out.
    size_t emitPeriod(uint8_t* out, size_t capacity);

    double instrumentSeconds() const;
    bool streaming() const;
    bool calibrationMode() const;
    float furnaceTemperatureC() const;
    bool programRunning() const;
    float measuredFlow(int channel) const;  // channel 1..4, ml/min
    int flowSetpoint(int channel) const;
    int gasCode(int channel) const;
    bool valveOn(int k) const;              // valve button 0..7
    bool cleaning(int k) const;             // cleaning channel 0..1
    bool injectorLoaded(int position) const;  // position 1..4: adsorbed on and not yet desorbed
    int commandsReceived() const;           // well-formed commands acted upon
    long bytesSkipped() const;              // bytes that began no command
    int peaksTriggered() const;             // desorption steps and calibration loops so far
    double adsorbedCoverage(int site) const;  // 0..1 of the sample's desorption sites
    // Noise-free detector levels at the current instrument time: the drifting baseline alone,
    // and everything the detector sees.
    double baselineMv() const;
    double signalMv() const;
    // Mean of the last emitted period's detector frames as sent (noise and rounding included):
    // what one decoded trace point must show.
    double lastPointMv() const;

    // Link faults, acting on the next emitted period.
    // That many random bytes, none of them a frame type 0x60..0x66, before the period's frames;
    // what does not fit into one period follows in the next ones.
    void injectGarbage(size_t count);
    // One extra byte before the period's frames: the four-byte grid moves by one.
    void insertByte(uint8_t value = 0x00);
    // The alarm code (0..3) every temperature frame carries from now on.
    void setAlarm(int code);
    // Nothing at all is sent for this much instrument time (whole periods, rounded up).
    void silence(double seconds);

private:
    void execute(const ParsedCommand& command);
    bool executeInjector(uint8_t byte);
    bool executeProgramme(const ParsedCommand& command);
    void addPulse(double apexS, double heightMv, double frontS, double tailS);
    void scheduleCalibrationLoops(double untilS);
    double nowS() const;
    double driftMv(double seconds) const;
    double blipMv(double seconds) const;
    double signalAt(double seconds) const;

    mutable std::mutex mutex_;
    CommandParser parser_;
    RandomSource noise_;   // detector noise
    RandomSource events_;  // peak-to-peak variation of the pulses
    RandomSource faults_;  // garbage bytes; kept apart so faults leave the signal unchanged
    FurnaceModel furnace_;
    DesorptionSites sites_;
    FlowChannels flows_;
    PeakTrain peaks_;

    int64_t periods_ = 0;
    bool streaming_ = false;
    bool calibration_ = false;
    double nextCalibrationApexS_ = 0.0;
    std::array<bool, kValves> valves_{};
    std::array<bool, kCleaningChannels> cleaning_{};
    std::array<bool, kInjectorPositions> loaded_{};
    int commands_ = 0;
    int peaksTriggered_ = 0;
    double driftPhase_[2] = {0.0, 0.0};
    double desorptionMv_ = 0.0;  // mean desorption signal of the last period
    double blipAmplitudeMv_ = 0.0;
    double blipStartS_ = 0.0;
    double lastPointMv_ = 0.0;

    static constexpr int kMaxInsertedBytes = 64;
    std::array<uint8_t, kMaxInsertedBytes> inserted_{};
    int insertedCount_ = 0;
    size_t pendingGarbage_ = 0;
    int64_t silentPeriods_ = 0;
    uint8_t alarm_ = 0;
};

}  // namespace vespian::sim

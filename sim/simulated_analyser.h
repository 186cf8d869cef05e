#pragma once
// The simulated analyser: takes the program's command bytes and produces the frames the
// instrument sends, one 200 ms period at a time, on instrument time (the caller decides how
// fast that runs against the wall). Deterministic from its seed: the same seed and the same
// commands at the same periods give the same bytes.
//
// The model: a detector baseline with noise and slow drift; an uptake peak for each injector
// position adsorbed and a desorption peak for each one desorbed, and in calibration mode a peak
// for each calibration loop; a furnace that runs the loaded programme after "start", with
// temperature-programmed desorption peaks as it heats; hydrogen over the heated sample reduces it
// (consumption peaks, TPR), oxygen oxidises it back and burns its carbon (TPO); the dosing loop's
// pulses are taken up by the sample's metal surface until it is saturated (pulse titration);
// flows that follow their setpoints and gases with a lag, cleaning that flushes a channel at full
// flow; valves that route the gas (gas_path.h), so the detector sees the sample's gas or only the
// carrier, each switch with a small pressure blip. Tests and the fault menu inject alarms and link
// faults between periods.
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
#include "sim/gas_path.h"
#include "sim/metal_surface.h"
#include "sim/peak_train.h"
#include "sim/random_source.h"
#include "sim/reducible_sample.h"

namespace vespian::sim {

inline constexpr double kPeriodSeconds = 0.2;  // one trace point
inline constexpr int kDetectorFramesPerPeriod = 72;
// Besides the detector frames a period carries 8 temperature frames, 6 frames for each of the
// two displayed flows, 2 auxiliary frames and 2 for each of the flows of channels 3 and 4 (types
// 0x65 and 0x66, which the program reads past), spread evenly between the detector frames.
inline constexpr int kFramesPerPeriod = 98;
inline constexpr size_t kPeriodBytes = kFramesPerPeriod * 4;  // 1960 bytes per second
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
    int peaksTriggered() const;             // uptakes, desorptions, calibration loops and pulses so far
    double adsorbedCoverage(int site) const;  // 0..1 of the sample's desorption sites
    double oxidisedFraction(int species) const;  // 0..1 of the sample's reducible oxides
    double carbonLeft() const;                // 0..1 of the sample's carbon deposit
    double metalHydrogenCovered() const;      // 0..1 of the surface metal atoms
    double metalOxygenCovered() const;
    bool dosingLoopFull() const;
    // Volumes (ml) of the dosing-loop pulses so far: what each carried and what reached the
    // detector after the sample took its share.
    int loopPulses() const;
    double loopPulseTaken(int index) const;
    bool detectorSeesSample() const;
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
    // The alarm code (0..3) every temperature frame carries from now on; with `clearsAfterS`
    // above 0 it clears by itself after that much instrument time (whole periods, rounded up).
    void setAlarm(int code, double clearsAfterS = 0.0);
    // Nothing at all is sent for this much instrument time (whole periods, rounded up).
    void silence(double seconds);

private:
    void execute(const ParsedCommand& command);
    bool executeInjector(uint8_t byte);
    bool executeProgramme(const ParsedCommand& command);
    void addPulse(double apexS, double heightMv, double frontS, double tailS, double spread, double decayS = 0.0);
    void injectLoop(double now);
    void updateRouting();
    double sampleLineMv(double startC, double endC);
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
    ValvePositions valves_{};
    DosingLoop loop_;
    ReducibleSample redox_;
    MetalSurface metal_;
    double compositionMv_ = 0.0;  // the treatment gas in the measuring cell, after its lag
    double sampleLineMv_ = 0.0;   // desorption and consumption of the last period, as seen
    static constexpr int kRecordedPulses = 64;
    std::array<double, kRecordedPulses> pulseTaken_{};
    int loopPulses_ = 0;
    std::array<bool, kCleaningChannels> cleaning_{};
    std::array<bool, kInjectorPositions> loaded_{};
    int commands_ = 0;
    int peaksTriggered_ = 0;
    double driftPhase_[2] = {0.0, 0.0};
    double blipAmplitudeMv_ = 0.0;
    double blipStartS_ = 0.0;
    double lastPointMv_ = 0.0;

    static constexpr int kMaxInsertedBytes = 64;
    std::array<uint8_t, kMaxInsertedBytes> inserted_{};
    int insertedCount_ = 0;
    size_t pendingGarbage_ = 0;
    int64_t silentPeriods_ = 0;
    uint8_t alarm_ = 0;
    int64_t alarmPeriodsLeft_ = 0;  // periods until the alarm clears by itself, 0: it stays
};

}  // namespace vespian::sim

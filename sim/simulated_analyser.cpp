#include "sim/simulated_analyser.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <numbers>

namespace vespian::sim {

namespace {

// Frame types as the instrument sends them.
constexpr uint8_t kDetectorType = 0x60;
constexpr uint8_t kTemperatureType = 0x61;
constexpr uint8_t kAuxType = 0x62;
constexpr uint8_t kFlow1Type = 0x63;
constexpr uint8_t kFlow2Type = 0x64;
constexpr uint8_t kFlow3Type = 0x65;
constexpr uint8_t kFlow4Type = 0x66;
constexpr uint8_t kFirstFrameType = 0x60;
constexpr uint8_t kLastFrameType = 0x66;

// Detector: offset binary, 0x800000 is 0 mV, ±5000 mV full scale.
constexpr double kDetectorZero = 8388608.0;
constexpr double kFullScaleMv = 5000.0;
constexpr int32_t kMaxDetectorCode = 0xFFFFFF;

// A warmed-up detector sits a few mV above zero and wanders slowly with the room and the
// bridge, by at most some 0.03 mV a minute; the noise is per conversion, so a trace point
// (72 conversions) shows an eighth of it.
constexpr double kBaselineMv = 3.2;
constexpr double kDriftMv[2] = {0.15, 0.05};
constexpr double kDriftPeriodS[2] = {3600.0, 1200.0};
constexpr double kNoiseMv = 0.08;

// Gas released at an injector reaches the detector after the lines (its peak's front starts
// some seconds after the command, the apex later) and the cell, whose mixing volumes give the
// peak its exponential tail: back on the baseline some two minutes after the apex. Several
// positions desorbed by one command follow one another so that each gives its own peak.
constexpr double kTransportS = 25.0;
constexpr double kPositionStaggerS = 240.0;
constexpr double kDesorbHeightMv = 30.0;
constexpr double kDesorbFrontS = 5.0;
constexpr double kDesorbTailS = 5.0;
constexpr double kDesorbDecayS = 18.0;
constexpr double kPulseSpread = 0.04;  // relative spread of one pulse's size
// Adsorbing at an injector takes the gas out of the stream while the cold sample fills: a
// slower dip of about the size of the later desorption peak.
constexpr double kUptakeHeightMv = -22.0;
constexpr double kUptakeFrontS = 8.0;
constexpr double kUptakeTailS = 8.0;
constexpr double kUptakeDecayS = 25.0;

// The dosing loop's pulse: 0.5 ml reaches the detector some seconds after the switch, a little
// later through the sample tube. Loops repeat to about a percent.
constexpr double kLoopTransportS = 8.0;
constexpr double kSampleTubeS = 2.0;
constexpr double kLoopMvPerMl = 40.0;
constexpr double kLoopFrontS = 1.5;
constexpr double kLoopTailS = 4.0;
constexpr double kLoopSpread = 0.01;

// Gas codes the analyser knows the reactive gases by.
constexpr int kHydrogenCode = 4;
constexpr int kOxygenCode = 8;
constexpr int kAmmoniaCode = 3;
constexpr double kFlowingMlMin = 0.5;  // a channel below this counts as closed
constexpr double kAmmoniaAdsorbsBelowC = 250.0;

// A treatment gas in the measuring cell lowers the signal in proportion to its share of the
// stream and how far its conductivity lies from the carrier's; the cell's volume lags it.
constexpr double kCompositionMv = 100.0;
constexpr double kCompositionLagS = 20.0;
// A new carrier gas reaches the reference cell before the measuring cell: a broad wave.
constexpr double kCarrierWaveMv = 3.0;
constexpr double kCarrierWaveFrontS = 8.0;
constexpr double kCarrierWaveTailS = 15.0;
constexpr double kCarrierWaveDelayS = 20.0;

// How strongly the detector answers a gas in an argon or nitrogen carrier, relative to hydrogen.
double responseOf(int gasCode) {
    switch (gasCode) {
    case kHydrogenCode: return 1.0;
    case 2: return 0.9;  // helium and the other noble gases share the code
    case kAmmoniaCode: return 0.4;
    case kOxygenCode: return 0.3;
    default: return 0.1;
    }
}

// The loop pulse of a gas, per ml, relative to nitrogen.
double loopResponseOf(int gasCode) {
    switch (gasCode) {
    case kHydrogenCode: return 1.2;
    case kOxygenCode: return 0.8;
    default: return 1.0;
    }
}

// Calibration mode switches the calibration loop shortly after "AB", then every four minutes
// until "DE", each time after the last loop's peak is back on the baseline. Its peak has the
// shape of a desorption peak: the same lines and cell.
constexpr double kCalibrationFirstApexS = 30.0;
constexpr double kCalibrationIntervalS = 240.0;
constexpr double kCalibrationHeightMv = 40.0;
constexpr double kCalibrationFrontS = 5.0;
constexpr double kCalibrationTailS = 5.0;
constexpr double kCalibrationDecayS = 18.0;
constexpr double kPulseLeadS = 30.0;  // a loop pulse joins the train this long before its apex

// Switching a valve bumps the pressure at the detector: a short dip that dies away.
constexpr double kValveBlipMv = -0.6;
constexpr double kBlipDecayS = 1.0;
constexpr double kBlipReachS = 12.0;

// The auxiliary frame carries the bridge current, 150.00 mA in 0.01 mA; the program ignores it.
constexpr uint32_t kAuxValue = 15000;

enum Slot : uint8_t { kSlotDetector, kSlotTemperature, kSlotFlow1, kSlotFlow2, kSlotAux, kSlotFlow3, kSlotFlow4, kSlotKinds };
constexpr std::array<int, kSlotKinds> kSlotCounts = {kDetectorFramesPerPeriod, 8, 6, 6, 2, 2, 2};

// Places each kind of frame evenly over the period: every slot goes to the kind that is
// furthest behind its share.
constexpr std::array<uint8_t, kFramesPerPeriod> makeSchedule() {
    std::array<uint8_t, kFramesPerPeriod> schedule{};
    std::array<int, kSlotKinds> placed{};
    for (int slot = 0; slot < kFramesPerPeriod; ++slot) {
        int best = 0;
        long bestLag = LONG_MIN;
        for (int kind = 0; kind < kSlotKinds; ++kind) {
            if (placed[kind] == kSlotCounts[kind]) continue;
            const long lag = static_cast<long>(kSlotCounts[kind]) * (slot + 1) -
                             static_cast<long>(placed[kind]) * kFramesPerPeriod;
            if (lag > bestLag) {
                best = kind;
                bestLag = lag;
            }
        }
        schedule[slot] = static_cast<uint8_t>(best);
        ++placed[best];
    }
    return schedule;
}

constexpr std::array<uint8_t, kFramesPerPeriod> kSchedule = makeSchedule();

constexpr int countOf(uint8_t kind) {
    int n = 0;
    for (uint8_t slot : kSchedule) n += slot == kind ? 1 : 0;
    return n;
}
static_assert(countOf(kSlotDetector) == kDetectorFramesPerPeriod);
static_assert(kSlotCounts[0] + kSlotCounts[1] + kSlotCounts[2] + kSlotCounts[3] + kSlotCounts[4] +
                  kSlotCounts[5] + kSlotCounts[6] ==
              kFramesPerPeriod);
static_assert(kPeriodBytes < kMaxPeriodBytes, "a period must fit the line with room to spare");

// Seeds of the separate random streams are derived from the one seed.
constexpr uint64_t kEventStream = 0x6A09E667F3BCC908ull;
constexpr uint64_t kFaultStream = 0xBB67AE8584CAA73Bull;
constexpr uint64_t kDriftStream = 0x3C6EF372FE94F82Bull;

// Writes frames into the caller's buffer, never past its end.
class FrameWriter {
public:
    FrameWriter(uint8_t* out, size_t capacity) : out_(out), capacity_(capacity) {}
    void put(uint8_t byte) {
        if (length_ < capacity_) out_[length_++] = byte;
    }
    void frame(uint8_t type, uint32_t value) {
        if (length_ + 4 > capacity_) return;
        out_[length_++] = type;
        out_[length_++] = static_cast<uint8_t>(value >> 16);
        out_[length_++] = static_cast<uint8_t>(value >> 8);
        out_[length_++] = static_cast<uint8_t>(value);
    }
    size_t length() const { return length_; }

private:
    uint8_t* out_;
    size_t capacity_;
    size_t length_ = 0;
};

int32_t detectorCode(double mv) {
    const double code = std::round(mv / kFullScaleMv * kDetectorZero) + kDetectorZero;
    return static_cast<int32_t>(std::clamp(code, 0.0, static_cast<double>(kMaxDetectorCode)));
}

uint32_t temperatureValue(uint8_t alarm, double temperatureC) {
    const double tenths = std::clamp(std::round(temperatureC * 10.0), -32768.0, 32767.0);
    const auto word = static_cast<uint16_t>(static_cast<int16_t>(tenths));  // two's complement
    return (static_cast<uint32_t>(alarm) << 16) | word;
}

uint32_t flowValue(double mlMin) {
    return static_cast<uint32_t>(std::clamp(std::round(mlMin * 10.0), 0.0, static_cast<double>(0xFFFFFF)));
}

}  // namespace

SimulatedAnalyser::SimulatedAnalyser(uint64_t seed)
    : noise_(seed), events_(seed ^ kEventStream), faults_(seed ^ kFaultStream) {
    RandomSource drift(seed ^ kDriftStream);
    for (double& phase : driftPhase_) phase = 2.0 * std::numbers::pi * drift.uniform();
}

double SimulatedAnalyser::nowS() const { return static_cast<double>(periods_) * kPeriodSeconds; }

double SimulatedAnalyser::driftMv(double seconds) const {
    double drift = 0.0;
    for (int i = 0; i < 2; ++i) {
        drift += kDriftMv[i] * std::sin(2.0 * std::numbers::pi * seconds / kDriftPeriodS[i] + driftPhase_[i]);
    }
    return drift;
}

double SimulatedAnalyser::blipMv(double seconds) const {
    const double age = seconds - blipStartS_;
    if (blipAmplitudeMv_ == 0.0 || age < 0.0 || age > kBlipReachS) return 0.0;
    return blipAmplitudeMv_ * std::exp(-age / kBlipDecayS);
}

double SimulatedAnalyser::signalAt(double seconds) const {
    return kBaselineMv + driftMv(seconds) + sampleLineMv_ + compositionMv_ + peaks_.signalAt(seconds) + blipMv(seconds);
}

void SimulatedAnalyser::addPulse(double apexS, double heightMv, double frontS, double tailS, double spread,
                                 double decayS) {
    const double size = 1.0 + spread * events_.normal();
    peaks_.add(GasPulse{apexS, heightMv * size, frontS, tailS, decayS});
    ++peaksTriggered_;
}

void SimulatedAnalyser::scheduleCalibrationLoops(double untilS) {
    while (calibration_ && nextCalibrationApexS_ <= untilS) {
        addPulse(nextCalibrationApexS_, kCalibrationHeightMv, kCalibrationFrontS, kCalibrationTailS, kPulseSpread,
                 kCalibrationDecayS);
        nextCalibrationApexS_ += kCalibrationIntervalS;
    }
}

void SimulatedAnalyser::receive(const uint8_t* bytes, size_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    ParsedCommand command;
    for (size_t i = 0; i < length; ++i) {
        if (parser_.push(bytes[i], command)) execute(command);
    }
}

void SimulatedAnalyser::execute(const ParsedCommand& command) {
    const uint8_t first = command.bytes[0];
    const uint8_t second = command.bytes[1];
    const double now = nowS();
    bool understood = true;
    switch (first) {
    case '7':
        streaming_ = true;
        break;
    case 'H':
        streaming_ = false;
        break;
    case 'D':
        calibration_ = false;
        break;
    case 'A':
        if (!calibration_) {  // already dosing: the loop keeps its rhythm
            calibration_ = true;
            nextCalibrationApexS_ = now + kCalibrationFirstApexS;
            scheduleCalibrationLoops(now + kPulseLeadS);
        }
        break;
    case ':': {
        const int k = second & 0x0F;
        const int action = second & 0xF0;
        understood = k < kValves && (action == 0x10 || action == 0x20);
        if (understood) {
            const bool on = action == 0x10;
            const bool changed = valves_[k] != on;
            if (changed) {
                blipAmplitudeMv_ = blipMv(now) + kValveBlipMv;
                blipStartS_ = now;
            }
            valves_[k] = on;
            if (changed && on && k == kValveLoopInject) injectLoop(now);
            updateRouting();
        }
        break;
    }
    case '<': {
        const int k = second & 0x0F;
        const int action = second & 0xF0;
        understood = k < kCleaningChannels && (action == 0x10 || action == 0x20);
        if (understood) {
            cleaning_[k] = action == 0x10;
            flows_.setFlushing(k + 1, cleaning_[k]);
        }
        break;
    }
    case ';': {
        const int channel = second >> 4;
        const int code = second & 0x0F;
        const int before = flows_.gasCode(1);
        understood = flows_.set(channel, code, (command.bytes[2] << 8) | command.bytes[3]);
        if (understood && channel == 1 && code != before) {
            // The new carrier reaches the reference cell first, the measuring cell later.
            const double height = kCarrierWaveMv * (responseOf(code) - responseOf(before));
            peaks_.add(GasPulse{now + kCarrierWaveDelayS, height, kCarrierWaveFrontS, kCarrierWaveTailS});
        }
        if (understood) updateRouting();
        break;
    }
    case '>':
        understood = executeProgramme(command);
        break;
    default:
        understood = executeInjector(first);
        break;
    }
    if (understood) ++commands_;
}

bool SimulatedAnalyser::executeProgramme(const ParsedCommand& command) {
    const uint8_t* b = command.bytes.data();
    switch (b[7]) {
    case 0x00:
        return furnace_.loadSegment(b[1], (b[2] << 8) | b[3], b[4], (b[5] << 8) | b[6]);
    case 0x30:
        furnace_.start();
        return true;
    case 0x31:
        furnace_.stop();
        return true;
    default:
        return false;
    }
}

bool SimulatedAnalyser::executeInjector(uint8_t byte) {
    const int positions = (byte >> 2) & 0x0F;
    const int operation = byte & 0x03;
    const double now = nowS();
    switch (operation) {
    case 1: {  // adsorb: each empty flagged position takes up gas; the pulse saturates the sample
        int order = 0;
        for (int p = 0; p < kInjectorPositions; ++p) {
            if (((positions >> p) & 1) == 0) continue;
            if (!loaded_[p]) {
                addPulse(now + kTransportS + order * kPositionStaggerS, kUptakeHeightMv, kUptakeFrontS, kUptakeTailS,
                         kPulseSpread, kUptakeDecayS);
                ++order;
            }
            loaded_[p] = true;
        }
        if (positions != 0) sites_.refill();
        return true;
    }
    case 2: {  // desorb every flagged position that holds gas, one after another
        int order = 0;
        for (int p = 0; p < kInjectorPositions; ++p) {
            if (((positions >> p) & 1) == 0 || !loaded_[p]) continue;
            loaded_[p] = false;
            addPulse(now + kTransportS + order * kPositionStaggerS, kDesorbHeightMv, kDesorbFrontS, kDesorbTailS,
                     kPulseSpread, kDesorbDecayS);
            ++order;
        }
        return true;
    }
    case 0: {  // a step of the automatic sequence names exactly one position
        if (positions == 0 || (positions & (positions - 1)) != 0) return false;
        const int p = std::countr_zero(static_cast<unsigned>(positions));
        if (loaded_[p]) {
            addPulse(now + kTransportS, kDesorbHeightMv, kDesorbFrontS, kDesorbTailS, kPulseSpread, kDesorbDecayS);
        }
        loaded_[p] = false;
        return true;
    }
    default:
        return false;
    }
}

size_t SimulatedAnalyser::emitPeriod(uint8_t* out, size_t capacity) {
    std::lock_guard<std::mutex> lock(mutex_);
    const double start = nowS();
    ++periods_;
    const double end = nowS();

    // The instrument runs whether or not anybody listens.
    scheduleCalibrationLoops(end + kPulseLeadS);
    const double startC = furnace_.temperatureC();
    furnace_.advance(kPeriodSeconds);
    flows_.advance(kPeriodSeconds);
    updateRouting();
    sampleLineMv_ = sampleLineMv(startC, furnace_.temperatureC());
    peaks_.expire(start);
    if (alarmPeriodsLeft_ > 0 && --alarmPeriodsLeft_ == 0) alarm_ = 0;

    if (silentPeriods_ > 0) {
        --silentPeriods_;
        return 0;
    }
    if (!streaming_) return 0;

    FrameWriter writer(out, capacity);
    for (int i = 0; i < insertedCount_; ++i) writer.put(inserted_[i]);
    const size_t room = kMaxPeriodBytes - kPeriodBytes - static_cast<size_t>(insertedCount_);
    const size_t garbage = std::min(pendingGarbage_, room);
    for (size_t i = 0; i < garbage; ++i) {
        auto byte = static_cast<uint8_t>(faults_.next() >> 56);
        if (byte >= kFirstFrameType && byte <= kLastFrameType) byte ^= 0x80;  // never a frame type
        writer.put(byte);
    }
    pendingGarbage_ -= garbage;
    insertedCount_ = 0;

    // Drift and desorption change little within a period; pulses and blips are followed closely.
    const double level = kBaselineMv + driftMv(0.5 * (start + end)) + sampleLineMv_ + compositionMv_;
    const uint32_t temperature = temperatureValue(alarm_, furnace_.temperatureC());
    const uint32_t flow1 = flowValue(flows_.measured(1));
    const uint32_t flow2 = flowValue(flows_.measured(2));
    const uint32_t flow3 = flowValue(flows_.measured(3));
    const uint32_t flow4 = flowValue(flows_.measured(4));
    const double step = kPeriodSeconds / kDetectorFramesPerPeriod;
    int detector = 0;
    int64_t codeSum = 0;
    for (uint8_t slot : kSchedule) {
        switch (slot) {
        case kSlotDetector: {
            const double t = start + (detector + 0.5) * step;
            const double mv = level + peaks_.signalAt(t) + blipMv(t) + kNoiseMv * noise_.normal();
            const int32_t code = detectorCode(mv);
            writer.frame(kDetectorType, static_cast<uint32_t>(code));
            codeSum += code;
            ++detector;
            break;
        }
        case kSlotTemperature:
            writer.frame(kTemperatureType, temperature);
            break;
        case kSlotFlow1:
            writer.frame(kFlow1Type, flow1);
            break;
        case kSlotFlow2:
            writer.frame(kFlow2Type, flow2);
            break;
        case kSlotFlow3:
            writer.frame(kFlow3Type, flow3);
            break;
        case kSlotFlow4:
            writer.frame(kFlow4Type, flow4);
            break;
        default:
            writer.frame(kAuxType, kAuxValue);
            break;
        }
    }
    const double meanCode = static_cast<double>(codeSum) / kDetectorFramesPerPeriod;
    lastPointMv_ = (meanCode - kDetectorZero) / kDetectorZero * kFullScaleMv;
    return writer.length();
}

void SimulatedAnalyser::updateRouting() {
    loop_.update(valves_, flows_.gasCode(2), flows_.measured(2) >= kFlowingMlMin || flows_.setpoint(2) > 0);
}

void SimulatedAnalyser::injectLoop(double now) {
    if (!loop_.inject()) return;  // an empty loop sends only the switch's blip
    const int gas = loop_.gasCode();
    double reaching = DosingLoop::kVolumeMl;
    double delay = kLoopTransportS;
    if (!valves_[kValveBypass]) {
        // Through the sample: its metal surface takes its share of hydrogen or oxygen.
        if (gas == kHydrogenCode || gas == kOxygenCode) reaching -= metal_.takeUp(gas == kOxygenCode, reaching);
        delay += kSampleTubeS;
    }
    if (loopPulses_ < kRecordedPulses) pulseTaken_[static_cast<size_t>(loopPulses_)] = DosingLoop::kVolumeMl - reaching;
    ++loopPulses_;
    const bool seen = valves_[kValveBypass] || !valves_[kValveSampleToVent];
    if (!seen || reaching <= 0.0) return;
    addPulse(now + delay, kLoopMvPerMl * reaching * loopResponseOf(gas), kLoopFrontS, kLoopTailS, kLoopSpread);
}

double SimulatedAnalyser::sampleLineMv(double startC, double endC) {
    const double meanC = 0.5 * (startC + endC);
    const bool overSample = !valves_[kValveBypass];
    const bool treatment = treatmentOverSample(valves_) && flows_.measured(2) >= kFlowingMlMin;
    const int carrier = flows_.gasCode(1);
    const int treatmentGas = flows_.gasCode(2);
    auto flowing = [&](int code) {
        return overSample && ((treatment && treatmentGas == code) ||
                              (carrier == code && flows_.measured(1) >= kFlowingMlMin));
    };
    // The sample reacts to what flows over it whether or not the detector is watching.
    double mv = sites_.advance(meanC, kPeriodSeconds);
    if (flowing(kHydrogenCode)) {
        mv += redox_.reduce(meanC, kPeriodSeconds);
        metal_.flowHydrogen();
    }
    if (flowing(kOxygenCode)) {
        mv += redox_.oxidise(meanC, kPeriodSeconds);
        metal_.flowOxygen();
    }
    // Ammonia over the cool sample fills its acid sites again, ready for the next TPD.
    if (flowing(kAmmoniaCode) && meanC < kAmmoniaAdsorbsBelowC) sites_.refill();
    // The treatment gas in the measuring cell shifts the signal, lagging behind its share.
    double target = 0.0;
    if (treatment && vespian::sim::detectorSeesSample(valves_)) {
        const double f1 = flows_.measured(1);
        const double f2 = flows_.measured(2);
        target = -kCompositionMv * f2 / (f1 + f2) * std::abs(responseOf(treatmentGas) - responseOf(carrier));
    }
    compositionMv_ += (target - compositionMv_) * (1.0 - std::exp(-kPeriodSeconds / kCompositionLagS));
    return vespian::sim::detectorSeesSample(valves_) ? mv : 0.0;
}

double SimulatedAnalyser::instrumentSeconds() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return nowS();
}

bool SimulatedAnalyser::streaming() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return streaming_;
}

bool SimulatedAnalyser::calibrationMode() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calibration_;
}

float SimulatedAnalyser::furnaceTemperatureC() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<float>(furnace_.temperatureC());
}

bool SimulatedAnalyser::programRunning() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return furnace_.running();
}

float SimulatedAnalyser::measuredFlow(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<float>(flows_.measured(channel));
}

int SimulatedAnalyser::flowSetpoint(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return flows_.setpoint(channel);
}

int SimulatedAnalyser::gasCode(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return flows_.gasCode(channel);
}

bool SimulatedAnalyser::valveOn(int k) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return k >= 0 && k < kValves && valves_[k];
}

bool SimulatedAnalyser::cleaning(int k) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return k >= 0 && k < kCleaningChannels && cleaning_[k];
}

bool SimulatedAnalyser::injectorLoaded(int position) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return position >= 1 && position <= kInjectorPositions && loaded_[position - 1];
}

int SimulatedAnalyser::commandsReceived() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

long SimulatedAnalyser::bytesSkipped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return parser_.skippedBytes();
}

int SimulatedAnalyser::peaksTriggered() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return peaksTriggered_;
}

double SimulatedAnalyser::adsorbedCoverage(int site) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return site >= 0 && site < DesorptionSites::kSites ? sites_.coverage(site) : 0.0;
}

double SimulatedAnalyser::oxidisedFraction(int species) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return species >= 0 && species < static_cast<int>(kOxideSpecies.size()) ? redox_.oxidisedFraction(species) : 0.0;
}

double SimulatedAnalyser::carbonLeft() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return redox_.carbonLeft();
}

double SimulatedAnalyser::metalHydrogenCovered() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return metal_.hydrogenCovered();
}

double SimulatedAnalyser::metalOxygenCovered() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return metal_.oxygenCovered();
}

bool SimulatedAnalyser::dosingLoopFull() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return loop_.full();
}

int SimulatedAnalyser::loopPulses() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return loopPulses_;
}

double SimulatedAnalyser::loopPulseTaken(int index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return index >= 0 && index < std::min(loopPulses_, kRecordedPulses) ? pulseTaken_[static_cast<size_t>(index)] : 0.0;
}

bool SimulatedAnalyser::detectorSeesSample() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return vespian::sim::detectorSeesSample(valves_);
}

double SimulatedAnalyser::baselineMv() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return kBaselineMv + driftMv(nowS());
}

double SimulatedAnalyser::signalMv() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return signalAt(nowS());
}

double SimulatedAnalyser::lastPointMv() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastPointMv_;
}

void SimulatedAnalyser::injectGarbage(size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    pendingGarbage_ += count;
}

void SimulatedAnalyser::insertByte(uint8_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (insertedCount_ < kMaxInsertedBytes) inserted_[insertedCount_++] = value;
}

void SimulatedAnalyser::setAlarm(int code, double clearsAfterS) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (code < 0 || code > 0xFF) return;
    alarm_ = static_cast<uint8_t>(code);
    // Counted down at the start of each period: the next `periods` periods still carry the code.
    const double periods = std::ceil(std::min(clearsAfterS, 1e9) / kPeriodSeconds - 1e-9);
    alarmPeriodsLeft_ = code != 0 && clearsAfterS > 0.0 ? static_cast<int64_t>(periods) + 1 : 0;
}

void SimulatedAnalyser::silence(double seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!(seconds > 0.0)) return;
    const double periods = std::ceil(seconds / kPeriodSeconds - 1e-9);
    silentPeriods_ = std::max(silentPeriods_, static_cast<int64_t>(std::min(periods, 1e12)));
}

}  // namespace vespian::sim

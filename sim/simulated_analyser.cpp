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

// Gas released at an injector reaches the detector after the lines; several positions desorbed
// by one command follow one another so that each gives its own peak.
constexpr double kTransportS = 6.0;
constexpr double kPositionStaggerS = 20.0;
constexpr double kDesorbHeightMv = 30.0;
constexpr double kDesorbFrontS = 1.2;
constexpr double kDesorbTailS = 2.5;
constexpr double kPulseSpread = 0.04;  // relative spread of one pulse's size

// Calibration mode switches the dosing loop shortly after "AB", then every 30 s until "DE".
constexpr double kCalibrationFirstApexS = 5.0;
constexpr double kCalibrationIntervalS = 30.0;
constexpr double kCalibrationHeightMv = 40.0;
constexpr double kCalibrationFrontS = 1.0;
constexpr double kCalibrationTailS = 2.0;
constexpr double kPulseLeadS = 10.0;  // a loop pulse joins the train this long before its apex

// Switching a valve bumps the pressure at the detector: a short dip that dies away.
constexpr double kValveBlipMv = -0.6;
constexpr double kBlipDecayS = 1.0;
constexpr double kBlipReachS = 12.0;

// The auxiliary frame carries the bridge current, 150.00 mA in 0.01 mA; the program ignores it.
constexpr uint32_t kAuxValue = 15000;

enum Slot : uint8_t { kSlotDetector, kSlotTemperature, kSlotFlow1, kSlotFlow2, kSlotAux, kSlotKinds };
constexpr std::array<int, kSlotKinds> kSlotCounts = {kDetectorFramesPerPeriod, 8, 6, 6, 2};

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
static_assert(kSlotCounts[0] + kSlotCounts[1] + kSlotCounts[2] + kSlotCounts[3] + kSlotCounts[4] ==
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
    return kBaselineMv + driftMv(seconds) + desorptionMv_ + peaks_.signalAt(seconds) + blipMv(seconds);
}

void SimulatedAnalyser::addPulse(double apexS, double heightMv, double frontS, double tailS) {
    const double size = 1.0 + kPulseSpread * events_.normal();
    peaks_.add(GasPulse{apexS, heightMv * size, frontS, tailS});
    ++peaksTriggered_;
}

void SimulatedAnalyser::scheduleCalibrationLoops(double untilS) {
    while (calibration_ && nextCalibrationApexS_ <= untilS) {
        addPulse(nextCalibrationApexS_, kCalibrationHeightMv, kCalibrationFrontS, kCalibrationTailS);
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
            if (valves_[k] != on) {
                blipAmplitudeMv_ = blipMv(now) + kValveBlipMv;
                blipStartS_ = now;
            }
            valves_[k] = on;
        }
        break;
    }
    case '<': {
        const int k = second & 0x0F;
        const int action = second & 0xF0;
        understood = k < kCleaningChannels && (action == 0x10 || action == 0x20);
        if (understood) cleaning_[k] = action == 0x10;
        break;
    }
    case ';':
        understood = flows_.set(second >> 4, second & 0x0F, (command.bytes[2] << 8) | command.bytes[3]);
        break;
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
    case 1:  // adsorb: the pulse loads the flagged positions and saturates the sample
        for (int p = 0; p < kInjectorPositions; ++p) {
            if ((positions >> p) & 1) loaded_[p] = true;
        }
        if (positions != 0) sites_.refill();
        return true;
    case 2: {  // desorb every flagged position, one after another
        int order = 0;
        for (int p = 0; p < kInjectorPositions; ++p) {
            if (((positions >> p) & 1) == 0) continue;
            loaded_[p] = false;
            addPulse(now + kTransportS + order * kPositionStaggerS, kDesorbHeightMv, kDesorbFrontS, kDesorbTailS);
            ++order;
        }
        return true;
    }
    case 0: {  // a step of the automatic sequence names exactly one position
        if (positions == 0 || (positions & (positions - 1)) != 0) return false;
        const int p = std::countr_zero(static_cast<unsigned>(positions));
        loaded_[p] = false;
        addPulse(now + kTransportS, kDesorbHeightMv, kDesorbFrontS, kDesorbTailS);
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
    desorptionMv_ = sites_.advance(0.5 * (startC + furnace_.temperatureC()), kPeriodSeconds);
    flows_.advance(kPeriodSeconds);
    peaks_.expire(start);

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
    const double level = kBaselineMv + driftMv(0.5 * (start + end)) + desorptionMv_;
    const uint32_t temperature = temperatureValue(alarm_, furnace_.temperatureC());
    const uint32_t flow1 = flowValue(flows_.measured(1));
    const uint32_t flow2 = flowValue(flows_.measured(2));
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
        default:
            writer.frame(kAuxType, kAuxValue);
            break;
        }
    }
    const double meanCode = static_cast<double>(codeSum) / kDetectorFramesPerPeriod;
    lastPointMv_ = (meanCode - kDetectorZero) / kDetectorZero * kFullScaleMv;
    return writer.length();
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

void SimulatedAnalyser::setAlarm(int code) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (code >= 0 && code <= 0xFF) alarm_ = static_cast<uint8_t>(code);
}

void SimulatedAnalyser::silence(double seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!(seconds > 0.0)) return;
    const double periods = std::ceil(seconds / kPeriodSeconds - 1e-9);
    silentPeriods_ = std::max(silentPeriods_, static_cast<int64_t>(std::min(periods, 1e12)));
}

}  // namespace vespian::sim

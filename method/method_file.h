#pragma once
// A test method: the sample, what to do when the run must be made safe, and the ordered steps
// of an unattended test (gases, valves, the furnace programme, waits, pulses, recording, marks,
// evaluation and saving). Kept as a readable JSON file, "format": 1.
//
// Reading refuses a file that is not JSON, has another format, an unknown step kind, a field of
// the wrong type, a missing field or a field it does not know (a misspelt optional field would
// otherwise be silently dropped): the message names the step, and nothing of the file is used.
// Whether the values make sense is the validation's business (method_validation.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vespian {

inline constexpr int32_t kMethodFormat = 1;
inline constexpr char kMethodFileExtension[] = ".json";

// What the method tests; the checks before the run depend on it.
enum class TestKind { Tpd, Tpr, Tpo, Titration, Chemisorption, Other };

struct MethodSample {
    std::string name;
    double weightG = 0.0;
    std::string tester;
    // Amount of reducible species, µmol (TPR: for the characteristic number K).
    std::optional<double> reducibleUmol;
    // The supported metal (铂, 钯, 铑) and its mass fraction, for the titration.
    std::string metal;
    std::optional<double> metalFraction;

    bool operator==(const MethodSample&) const = default;
};

// Where every channel goes when the run must be made safe.
struct MethodSafety {
    std::string inertGas = "氩气";
    double safeFlowMlMin = 30.0;

    bool operator==(const MethodSafety&) const = default;
};

struct GasStep {
    int32_t channel = 1;  // 1 .. 4
    std::string gas;      // a name of the gas table
    double flowMlMin = 0.0;

    bool operator==(const GasStep&) const = default;
};

struct ValveStep {
    int32_t valve = 0;  // the gas-path panel's valve 0 .. 7
    bool on = false;

    bool operator==(const ValveStep&) const = default;
};

struct FurnaceSegment {
    double targetC = 0.0;
    double rateCPerMin = 0.0;
    double holdMin = 0.0;

    bool operator==(const FurnaceSegment&) const = default;
};

// Loads the segments and starts the programme, or stops the running programme.
struct FurnaceStep {
    bool stop = false;
    std::vector<FurnaceSegment> segments;

    bool operator==(const FurnaceStep&) const = default;
};

enum class WaitKind { Time, Temperature, Cooled, Stable };

struct WaitStep {
    WaitKind until = WaitKind::Time;
    double minutes = 0.0;          // Time: how long; Stable: the window the drift is judged over
    double targetC = 0.0;          // Temperature
    double toleranceC = 0.0;       // Temperature
    double belowC = 0.0;           // Cooled
    double driftMvPerMin = 0.0;    // Stable
    std::optional<double> timeoutMin;  // the run ends when the condition has not come by then

    bool operator==(const WaitStep&) const = default;
};

// Pulses from the dosing loop every intervalS until agreeCount successive peak areas agree
// within agreePercent (the sample is saturated) or maxCount pulses have been injected.
struct PulsesStep {
    double intervalS = 60.0;
    int32_t agreeCount = 3;
    double agreePercent = 2.0;
    int32_t maxCount = 20;
    double loopMl = 0.5;
    int32_t loopValve = 3;          // the valve that switches the filled loop into the carrier
    double injectS = 10.0;          // how long the loop stays switched in before it refills
    double minHeightMv = 1.0;       // a pulse must stand this far above the baseline
    std::optional<double> expectedUptakeMl;  // for the check that the pulses can saturate

    bool operator==(const PulsesStep&) const = default;
};

struct RecordStep {
    bool start = true;  // false: stop

    bool operator==(const RecordStep&) const = default;
};

struct MarkStep {
    std::string name;

    bool operator==(const MarkStep&) const = default;
};

enum class EvaluatedKind { Tpd, Tpr, Tpo, Titration, Desorption };

struct EvaluateStep {
    EvaluatedKind report = EvaluatedKind::Tpd;

    bool operator==(const EvaluateStep&) const = default;
};

enum class SaveItem { Trace, Report, Pdf, Csv, Log };

// "save" and "export" differ only in their default items.
struct SaveStep {
    bool exportStep = false;
    std::vector<SaveItem> items;

    bool operator==(const SaveStep&) const = default;
};

using MethodStep = std::variant<GasStep, ValveStep, FurnaceStep, WaitStep, PulsesStep, RecordStep, MarkStep,
                                EvaluateStep, SaveStep>;

struct MethodFile {
    int32_t format = kMethodFormat;
    std::string name;
    TestKind test = TestKind::Other;
    MethodSample sample;
    MethodSafety safety;
    std::vector<MethodStep> steps;

    bool operator==(const MethodFile&) const = default;
};

struct MethodReadResult {
    bool ok = false;
    std::string message;   // for the operator, when !ok
    int32_t step = 0;      // 1-based step the message is about; 0 for the file itself
    MethodFile method;     // empty unless ok
};

// The file's text as read from disk.
MethodReadResult readMethodText(std::string_view text);
MethodReadResult readMethodFile(const std::string& path);
// Pretty-printed JSON, fields in a fixed order; reads back as the same method.
std::string methodText(const MethodFile& method);
// Written through a temporary file beside the target. Empty when saved, else why not.
std::string writeMethodFile(const std::string& path, const MethodFile& method);

// Names as the file writes them and as the operator reads them.
std::string_view stepKindKey(const MethodStep& step);   // "gas", "valve", …
std::string_view stepKindName(const MethodStep& step);  // "气体", "阀门", …
std::string_view testKindKey(TestKind kind);
std::string_view reportKindKey(EvaluatedKind kind);
std::string_view reportKindName(EvaluatedKind kind);
std::string_view saveItemKey(SaveItem item);

// The default items of a save and of an export step.
std::vector<SaveItem> defaultSaveItems(bool exportStep);

}  // namespace vespian

#pragma once
// What the archive keeps of one save: which file (kind, path, SHA-256), of which sample and trace,
// by whom on which instrument and when, and, for reports and evaluations, the results with their
// uncertainties and the parameters they were evaluated with.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "archive/wall_time.h"

namespace vespian {

enum class SaveKind { Trace, Report, Database, Export, Evaluation };

std::string_view saveKindName(SaveKind kind);  // "trace", "report", "database", "export", "evaluation"
std::optional<SaveKind> saveKindFromName(std::string_view name);

inline constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

struct ResultValue {
    std::string name;                // stable key, e.g. "dispersion", "bet_area", "pulse_area"
    double value = 0.0;
    double uncertainty = kUnknown;   // standard uncertainty (k = 1); NaN when not known
    std::string unit;
    std::vector<std::string> flags;  // plausibility flag codes
};

struct Registration {
    std::string id;           // newUniqueId(), made where the save happens
    SaveKind kind = SaveKind::Trace;
    std::string path;         // the saved file (archived with its full path); empty for an
                              // evaluation that wrote none
    std::string sha256;       // of the saved file; empty when there is no file
    std::string traceSha256;  // the trace this belongs to (its own hash for a trace)
    std::string sample;
    double sampleWeight = kUnknown;
    std::string weightUnit;   // "g" or "mg", as the record it came from
    std::string method;
    std::string operatorName;
    std::string instrument;
    std::string instrumentSerial;
    std::string host;
    WallMs startedMs = 0;  // of the run; 0 when not known
    WallMs endedMs = 0;
    WallMs savedMs = 0;
    std::vector<ResultValue> results;
    nlohmann::json parameters = nlohmann::json::object();  // the evaluation's settings
};

// Registrations travel as JSON to the pending queue and the laboratory server and out in the
// open export; the reading refuses a malformed one with a message naming the member.
// Members in a fixed, readable order.
nlohmann::ordered_json registrationToJson(const Registration& registration);
struct RegistrationRead {
    bool ok = false;
    std::string message;
    Registration registration;
};
RegistrationRead registrationFromJson(const nlohmann::json& value);

// The text fields as valid UTF-8 without NUL characters: a file name on Linux may hold any
// bytes, and a server's text columns take neither.
std::string cleanText(std::string_view text);

}  // namespace vespian

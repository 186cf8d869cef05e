#pragma once
// The summary of one input file of vespian-report, as plain data: a list of named figures that
// each kind of input fills in, printed as text for a person or as JSON for a script.

#include <string>
#include <vector>

namespace vespian {

struct SummaryField {
    std::string key;        // the JSON name: "points", "signal_min_mV"
    std::string label;      // for the text form, Chinese and English: "点数 points"
    std::string jsonValue;  // a JSON value, already formatted (null when there is none)
    std::string textValue;  // for the text form, with its unit ("—" when there is none)
};

struct InputSummary {
    std::string kind;  // "trace"
    std::vector<SummaryField> fields;
};

// "文件 file: NAME", "类型 kind: …", then one "label: value" line per field.
std::string summaryText(const std::string& file, const InputSummary& summary);

// One JSON object: "file", "kind", then the fields in order, one per line, ending in a newline.
std::string summaryJson(const std::string& file, const InputSummary& summary);

}  // namespace vespian

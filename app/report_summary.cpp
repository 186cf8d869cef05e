#include "app/report_summary.h"

#include "files/json_text.h"

namespace vespian {

std::string summaryText(const std::string& file, const InputSummary& summary) {
    std::string text = "文件 file: " + file + "\n类型 kind: " + summary.kind + "\n";
    for (const SummaryField& field : summary.fields) text += field.label + ": " + field.textValue + "\n";
    return text;
}

std::string summaryJson(const std::string& file, const InputSummary& summary) {
    std::string json = "{\n  \"file\": " + jsonString(file) + ",\n  \"kind\": " + jsonString(summary.kind);
    for (const SummaryField& field : summary.fields) {
        json += ",\n  " + jsonString(field.key) + ": " + (field.jsonValue.empty() ? "null" : field.jsonValue);
    }
    return json + "\n}\n";
}

}  // namespace vespian

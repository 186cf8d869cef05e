#include "archive/registration.h"

#include <array>
#include <utility>

#include "archive/json_fields.h"

namespace vespian {

namespace {

using nlohmann::json;

constexpr std::array<std::pair<SaveKind, std::string_view>, 5> kKindNames = {{
    {SaveKind::Trace, "trace"},
    {SaveKind::Report, "report"},
    {SaveKind::Database, "database"},
    {SaveKind::Export, "export"},
    {SaveKind::Evaluation, "evaluation"},
}};

json numberOrNull(double value) { return std::isfinite(value) ? json(value) : json(nullptr); }

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not a valid one.
size_t utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    size_t n = 0;
    uint32_t cp = 0;
    if (b < 0x80) return 1;
    if ((b & 0xe0) == 0xc0) {
        n = 2;
        cp = b & 0x1f;
    } else if ((b & 0xf0) == 0xe0) {
        n = 3;
        cp = b & 0x0f;
    } else if ((b & 0xf8) == 0xf0) {
        n = 4;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3f);
    }
    static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
    return n;
}

}  // namespace

std::string_view saveKindName(SaveKind kind) {
    for (const auto& [k, name] : kKindNames) {
        if (k == kind) return name;
    }
    return "trace";
}

std::optional<SaveKind> saveKindFromName(std::string_view name) {
    for (const auto& [k, n] : kKindNames) {
        if (n == name) return k;
    }
    return std::nullopt;
}

std::string cleanText(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '\0') {
            ++i;
            continue;
        }
        const size_t n = utf8Length(text, i);
        if (n == 0) {
            clean += "\xEF\xBF\xBD";  // U+FFFD
            ++i;
        } else {
            clean.append(text.substr(i, n));
            i += n;
        }
    }
    return clean;
}

nlohmann::ordered_json registrationToJson(const Registration& r) {
    nlohmann::ordered_json results = nlohmann::ordered_json::array();
    for (const ResultValue& v : r.results) {
        results.push_back({{"name", v.name},
                           {"value", numberOrNull(v.value)},
                           {"uncertainty", numberOrNull(v.uncertainty)},
                           {"unit", v.unit},
                           {"flags", v.flags}});
    }
    return nlohmann::ordered_json{
        {"id", r.id},
        {"kind", saveKindName(r.kind)},
        {"path", r.path},
        {"sha256", r.sha256},
        {"trace_sha256", r.traceSha256},
        {"sample", r.sample},
        {"sample_weight", numberOrNull(r.sampleWeight)},
        {"weight_unit", r.weightUnit},
        {"method", r.method},
        {"operator", r.operatorName},
        {"instrument", r.instrument},
        {"instrument_serial", r.instrumentSerial},
        {"host", r.host},
        {"started", r.startedMs != 0 ? json(isoLocalTime(r.startedMs)) : json(nullptr)},
        {"ended", r.endedMs != 0 ? json(isoLocalTime(r.endedMs)) : json(nullptr)},
        {"saved", isoLocalTime(r.savedMs)},
        {"results", std::move(results)},
        {"parameters", r.parameters},
    };
}

RegistrationRead registrationFromJson(const json& value) {
    RegistrationRead read;
    try {
        const JsonFields f(value, "登记");
        Registration& r = read.registration;
        r.id = f.text("id");
        if (r.id.empty()) f.fail("id", "不能为空");
        const auto kind = saveKindFromName(f.text("kind"));
        if (!kind) f.fail("kind", "是未知的类型");
        r.kind = *kind;
        r.path = f.text("path");
        r.sha256 = f.text("sha256");
        r.traceSha256 = f.text("trace_sha256");
        r.sample = f.text("sample");
        r.sampleWeight = f.optionalNumber("sample_weight", kUnknown);
        r.weightUnit = f.text("weight_unit");
        r.method = f.text("method");
        r.operatorName = f.text("operator");
        r.instrument = f.text("instrument");
        r.instrumentSerial = f.text("instrument_serial");
        r.host = f.text("host");
        r.startedMs = f.has("started") ? f.time("started") : 0;
        r.endedMs = f.has("ended") ? f.time("ended") : 0;
        r.savedMs = f.time("saved");
        f.forEach("results", [&](const JsonFields& v) {
            ResultValue result;
            result.name = v.text("name");
            result.value = v.optionalNumber("value", kUnknown);
            result.uncertainty = v.optionalNumber("uncertainty", kUnknown);
            result.unit = v.text("unit");
            v.forEachText("flags", [&](const std::string& flag) { result.flags.push_back(flag); });
            r.results.push_back(std::move(result));
        });
        r.parameters = f.raw("parameters");
        read.ok = true;
    } catch (const JsonFieldError& error) {
        read.message = error.what();
        read.registration = {};
    }
    return read;
}

}  // namespace vespian

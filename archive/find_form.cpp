#include "archive/find_form.h"

#include <charconv>

namespace vespian {

namespace {

constexpr WallMs kDayMs = 86'400'000;

bool number(const std::string& text, std::optional<double>* value) {
    if (text.empty()) return true;
    double parsed = 0.0;
    const auto [rest, failure] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (failure != std::errc() || rest != text.data() + text.size()) return false;
    *value = parsed;
    return true;
}

}  // namespace

std::optional<WallMs> localDayStart(const std::string& day) {
    if (day.size() != 10) return std::nullopt;
    const std::optional<WallMs> utc = parseIsoTime(day + "T00:00:00Z");
    if (!utc) return std::nullopt;
    // The zone's offset on that day, as the computer gives it.
    const std::string local = isoLocalTime(*utc);
    const std::string zone = local.back() == 'Z' ? std::string("Z") : local.substr(local.size() - 6);
    return parseIsoTime(day + "T00:00:00" + zone);
}

FormQuery queryOfForm(const FindForm& form) {
    FormQuery out;
    FindQuery& q = out.query;
    q.kind = form.kind;
    q.sampleContains = form.sample;
    q.method = form.method;
    q.operatorName = form.operatorName;
    q.instrument = form.instrument;
    if (!form.fromDay.empty()) {
        q.savedFrom = localDayStart(form.fromDay);
        if (!q.savedFrom) {
            out.message = "起始日期应为 年-月-日，例如 2026-03-01";
            return out;
        }
    }
    if (!form.toDay.empty()) {
        const std::optional<WallMs> start = localDayStart(form.toDay);
        if (!start) {
            out.message = "结束日期应为 年-月-日，例如 2026-03-31";
            return out;
        }
        q.savedUntil = *start + kDayMs;
    }
    if (q.savedFrom && q.savedUntil && *q.savedUntil <= *q.savedFrom) {
        out.message = "结束日期早于起始日期";
        return out;
    }
    ResultRange range;
    range.name = form.resultName;
    if (!number(form.least, &range.least) || !number(form.most, &range.most)) {
        out.message = "结果范围应为数字(小数点用“.”)";
        return out;
    }
    if ((range.least || range.most) && range.name.empty()) {
        out.message = "请选择结果范围所指的结果";
        return out;
    }
    if (range.least && range.most && *range.least > *range.most) {
        out.message = "结果范围的下限大于上限";
        return out;
    }
    if (!range.name.empty()) q.result = range;
    out.ok = true;
    return out;
}

std::optional<std::string> tracePathOf(Archive& archive, const Registration& registration) {
    if (registration.kind == SaveKind::Trace) return registration.path;
    if (registration.traceSha256.empty()) return std::nullopt;
    FindQuery query;
    query.kind = SaveKind::Trace;
    query.traceSha256 = registration.traceSha256;
    query.limit = 1;
    const FindResult found = archive.find(query);
    if (!found.ok || found.saves.empty()) return std::nullopt;
    return found.saves.front().registration.path;
}

}  // namespace vespian

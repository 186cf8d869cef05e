#include "control/programme_preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "trace/chromatogram.h"

namespace vespian {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// The smallest "round" step (1, 2 or 5 times a power of ten, or the listed minute steps) that
// divides `span` into at most `maxTicks` parts.
double roundStep(double span, int maxTicks, std::span<const double> steps) {
    for (double step : steps) {
        if (span / step <= maxTicks) return step;
    }
    double step = steps.back();
    while (span / step > maxTicks) step *= 2.0;
    return step;
}

constexpr double kMinuteSteps[] = {1, 2, 5, 10, 15, 20, 30, 60, 120, 180, 240, 360, 480, 720, 1440};
constexpr double kDegreeSteps[] = {10, 20, 50, 100, 200};

}  // namespace

ProgrammePlan planProgramme(std::span<const ProgramSegment> segments, double startC) {
    ProgrammePlan plan;
    plan.startC = startC;
    plan.highestC = startC;
    double t = 0.0;
    double c = startC;
    const size_t count = std::min(segments.size(), static_cast<size_t>(kProgrammeSegments));
    for (size_t i = 0; i < count; ++i) {
        const ProgramSegment& s = segments[i];
        if (!s.defined) break;  // as the list: nothing after the first gap
        const double rate = std::max(s.rateCPerMin, 1) / 60.0;
        const double target = s.targetC;
        const double rampS = std::abs(target - c) / rate;
        const auto seg = static_cast<int32_t>(i);
        plan.stages[static_cast<size_t>(plan.stageCount++)] = {seg, false, t, t + rampS, c, target};
        t += rampS;
        const double holdS = std::max(s.holdMin, 0) * 60.0;
        plan.stages[static_cast<size_t>(plan.stageCount++)] = {seg, true, t, t + holdS, target, target};
        t += holdS;
        c = target;
        plan.highestC = std::max(plan.highestC, target);
        ++plan.segmentCount;
    }
    plan.totalS = t;
    return plan;
}

ProgrammePlan planOf(const FurnaceProgram& program, double furnaceC) {
    if (program.running != 0 && program.run.known) {
        return planProgramme(program.run.segments, program.run.startC);
    }
    std::array<ProgramSegment, kProgrammeSegments> segments{};
    for (int32_t i = 0; i < kProgrammeSegments; ++i) segments[static_cast<size_t>(i)] = program.segment(i);
    return planProgramme(segments, furnaceC);
}

PlanPosition positionAt(const ProgrammePlan& plan, double elapsedS) {
    PlanPosition position;
    if (plan.stageCount == 0) {
        position.plannedC = plan.startC;
        position.finished = true;
        return position;
    }
    elapsedS = std::max(elapsedS, 0.0);
    position.remainingS = std::max(plan.totalS - elapsedS, 0.0);
    for (int32_t i = 0; i < plan.stageCount; ++i) {
        const PlanStage& stage = plan.stages[static_cast<size_t>(i)];
        if (elapsedS < stage.endS) {
            position.segment = stage.segment;
            position.hold = stage.hold;
            const double span = stage.endS - stage.beginS;
            const double f = span > 0.0 ? (elapsedS - stage.beginS) / span : 1.0;
            position.plannedC = stage.fromC + (stage.toC - stage.fromC) * f;
            return position;
        }
    }
    // Past the end the controller keeps the last target until the programme is stopped.
    const PlanStage& last = plan.stages[static_cast<size_t>(plan.stageCount - 1)];
    position.segment = last.segment;
    position.hold = true;
    position.finished = true;
    position.plannedC = last.toC;
    return position;
}

std::string durationText(double seconds) {
    if (!(seconds > 0.0)) return "0分";
    const auto minutes = static_cast<int64_t>(std::ceil(std::min(seconds, 1e12) / 60.0 - 1e-9));
    char text[64];
    if (minutes < 60) {
        std::snprintf(text, sizeof text, "%lld分", static_cast<long long>(minutes));
    } else {
        std::snprintf(text, sizeof text, "%lld小时%02lld分", static_cast<long long>(minutes / 60),
                      static_cast<long long>(minutes % 60));
    }
    return text;
}

int64_t expectedEndSecondOfDay(const ProgrammePlan& plan, double elapsedS, int32_t nowSecondOfDay) {
    const double left = std::clamp(plan.totalS - std::max(elapsedS, 0.0), -1e9, 1e9);
    return nowSecondOfDay + static_cast<int64_t>(std::llround(left));
}

std::string clockText(int64_t secondOfDay) {
    if (secondOfDay < 0) secondOfDay = (secondOfDay % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    const int64_t day = secondOfDay / kSecondsPerDay;
    const int64_t within = secondOfDay % kSecondsPerDay;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(within / 3600),
                  static_cast<long long>(within % 3600 / 60));
    std::string out = text;
    if (day == 1) {
        out += "(次日)";
    } else if (day > 1) {
        out += "(第" + std::to_string(day + 1) + "天)";
    }
    return out;
}

PreviewAxes previewAxes(const ProgrammePlan& plan, double liveMaxC, double liveSeconds) {
    PreviewAxes axes;
    const double minutes = std::max({plan.totalS, liveSeconds, 60.0}) / 60.0;
    axes.minuteStep = roundStep(minutes, 10, kMinuteSteps);
    axes.maxMinutes = std::ceil(minutes / axes.minuteStep - 1e-9) * axes.minuteStep;
    const double highest = std::max({plan.highestC, liveMaxC, 50.0});
    axes.stepC = roundStep(highest, 10, kDegreeSteps);
    // Room above the highest point, so a hold at the top of the scale stays visible.
    axes.maxC = (std::floor(highest / axes.stepC) + 1.0) * axes.stepC;
    return axes;
}

std::vector<LiveSample> liveCurve(const float* temperatures, int32_t startPoint, int32_t pointCount,
                                  int32_t maxSamples) {
    std::vector<LiveSample> samples;
    if (temperatures == nullptr || startPoint < 0 || pointCount <= startPoint || maxSamples < 2) return samples;
    const int32_t count = pointCount - startPoint;
    const int32_t stride = std::max(1, (count + maxSamples - 3) / (maxSamples - 1));  // ceil((count − 1) / (max − 1))
    samples.reserve(static_cast<size_t>(count / stride + 2));
    auto add = [&](int32_t i) {
        samples.push_back({static_cast<double>(i - startPoint) / kPointsPerSecond, temperatures[i]});
    };
    for (int32_t i = startPoint; i < pointCount; i += stride) add(i);
    if ((count - 1) % stride != 0) add(pointCount - 1);
    return samples;
}

}  // namespace vespian

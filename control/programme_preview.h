#pragma once
// The programme preview: the planned furnace temperature against time from the defined segments
// (each ramps from where the previous one left the furnace, then holds), its total duration and
// expected end, and, while the programme runs, where it should be now. The analyser never reports
// the end of a programme, so this is the operator's only way to know when it is done.
//
// The plan takes the segments the list shows: segment 1 up to the first undefined one. It assumes
// the furnace follows the rate in both directions; an unheated furnace cools more slowly than a
// fast downward rate near room temperature, so a cooling segment may take longer than planned.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "control/furnace_program.h"

namespace vespian {

struct PlanStage {
    int32_t segment = 0;  // index 0 .. 9
    bool hold = false;    // false: the ramp to the target
    double beginS = 0.0;  // seconds from the start
    double endS = 0.0;
    double fromC = 0.0;
    double toC = 0.0;
};

struct ProgrammePlan {
    std::array<PlanStage, 2 * kProgrammeSegments> stages{};
    int32_t stageCount = 0;
    int32_t segmentCount = 0;
    double startC = 0.0;
    double totalS = 0.0;
    double highestC = 0.0;  // the highest planned temperature, the start included
};

// The plan of the segments as the list shows them, from a furnace at `startC`.
ProgrammePlan planProgramme(std::span<const ProgramSegment> segments, double startC);
// The plan of the table as it stands, or of the run record while the programme runs.
ProgrammePlan planOf(const FurnaceProgram& program, double furnaceC);

struct PlanPosition {
    int32_t segment = -1;  // the segment that should be running, -1 when none (empty plan)
    bool hold = false;
    bool finished = false;  // the plan's time is over
    double plannedC = 0.0;
    double remainingS = 0.0;
};
PlanPosition positionAt(const ProgrammePlan& plan, double elapsedS);

// The plan's end as a local time of day. The analyser's clock is the trace's (five points a
// second of instrument time), which runs faster than the wall's with an accelerated simulator,
// so the end is counted from now: what is left of the plan, totalS − elapsedS of instrument
// time, after the local time `nowSecondOfDay`. Before the start elapsedS is 0; a plan that is
// over gives the time it ended, in the past.
int64_t expectedEndSecondOfDay(const ProgrammePlan& plan, double elapsedS, int32_t nowSecondOfDay);

// "2小时05分" for a duration, rounded up to the whole minute; "0分" for none.
std::string durationText(double seconds);
// "14:05" for a local time of day in seconds; a time on a later day says so: "14:05(次日)",
// "03:10(第3天)"; a time before today's midnight shows as yesterday's clock time.
std::string clockText(int64_t secondOfDay);

// The chart's axes: time in minutes and temperature in ℃, with a round step for the grid.
struct PreviewAxes {
    double maxMinutes = 10.0;
    double minuteStep = 1.0;
    double maxC = 100.0;
    double stepC = 20.0;
};
PreviewAxes previewAxes(const ProgrammePlan& plan, double liveMaxC, double liveSeconds);

// The live furnace temperatures since the start point, as (seconds from the start, ℃), at most
// `maxSamples` of them (the newest point always included). Empty when the trace no longer
// reaches back to the start (it was cleared or cut).
struct LiveSample {
    double seconds = 0.0;
    double temperatureC = 0.0;
};
std::vector<LiveSample> liveCurve(const float* temperatures, int32_t startPoint, int32_t pointCount,
                                  int32_t maxSamples);

}  // namespace vespian

#pragma once
// A step's numeric fields by the file's key, as the editor reads and writes them one field at a
// time, and the validation's messages about one field. The keys and ranges are those of
// stepFieldRanges (method_validation.h); a furnace step's segment fields are read per segment.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "method/method_file.h"
#include "method/method_validation.h"

namespace vespian {

// The value of a numeric field; none for an optional field left unset or a key the step lacks.
std::optional<double> stepNumber(const MethodStep& step, std::string_view key);
// Sets it (none clears an optional field); false for a key the step lacks or a required field
// cleared.
bool setStepNumber(MethodStep& step, std::string_view key, std::optional<double> value);
// Whether the field may be left empty.
bool optionalStepNumber(const MethodStep& step, std::string_view key);

double segmentNumber(const FurnaceSegment& segment, std::string_view key);
void setSegmentNumber(FurnaceSegment& segment, std::string_view key, double value);

// A number as the operator types it, with the point on every locale; none for anything else.
std::optional<double> parseFieldNumber(std::string_view text);
// A number as the editor shows it: no trailing zeros.
std::string fieldNumberText(double value);

// The validation's messages about one field of a step (1-based): `field` is the file's key,
// "segments[0].rate_c_per_min" for a segment's.
std::vector<MethodIssue> issuesOfField(const std::vector<MethodIssue>& issues, int32_t step, std::string_view field);
// Every error of the method's own fields and of one step, for the editor's list under it.
std::vector<MethodIssue> issuesOfStep(const std::vector<MethodIssue>& issues, int32_t step);

// A wait switched to another kind of waiting: the fields that kind needs get usable values
// where they are unset or out of place (a 10-minute wait, 300 ± 5 ℃, cooled below 50 ℃, a
// baseline drifting less than 0.05 mV/min over 5 min); values already set stay.
void fillWaitDefaults(WaitStep& wait);
// A furnace step switched between starting and stopping the programme; a start gets the new
// step's one segment when it has none.
void setFurnaceStop(FurnaceStep& furnace, bool stop);

// The messages of issues under a heading, one a line, for one box.
std::string issuesText(std::string_view heading, const std::vector<MethodIssue>& issues);

// A new step of a kind ("gas", "valve", …) with values that pass validation on their own.
std::optional<MethodStep> newStep(std::string_view kindKey);
// The kinds an editor offers, in the order of the file's documentation.
const std::vector<std::string_view>& stepKindKeys();

}  // namespace vespian

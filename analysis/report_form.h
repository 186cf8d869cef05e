#pragma once
// A report window's fields as rules, shared by the temperature-programmed, titration and
// desorption windows: the text each field shows, what a change of a field's text stores, which
// fields the operator types into, and which take their text back at every change.
//
// Filling a window is a change of every field that takes its text back: the record then holds
// each value as its text shows it (a stored area of 1234.6, shown "1235", becomes 1235), whether
// or not the field held that text already. Whatever shows the numbers of a report (the window,
// the command-line tool) fills through these rules, so they agree to the last digit.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/test_report.h"

namespace vespian {

// A control number and its text.
using FieldText = std::pair<int32_t, std::string>;

// The fields every report window has, by their control numbers.
namespace report_field {
inline constexpr int32_t kHeading = 1006;
inline constexpr int32_t kSampleName = 1007;
inline constexpr int32_t kWeight = 1008;
inline constexpr int32_t kTester = 1009;
inline constexpr int32_t kYear = 1010;
inline constexpr int32_t kMonth = 1026;
inline constexpr int32_t kDay = 1027;
}  // namespace report_field

struct ReportForm {
    // Every field's text, results included.
    std::vector<FieldText> (*texts)(const TestReportHeader& header);
    // A field's text changed: stores that one field; the result texts that follow from it.
    std::vector<FieldText> (*changed)(TestReportHeader& header, int32_t field, std::string_view text);
    // The fields the operator types into; "确定" and the other read-backs store them.
    bool (*editable)(int32_t field);
    // The fields stored at every change of their text, filling included.
    bool (*takesTextBack)(int32_t field);
};

// Fills the form: each field that takes its text back is stored as its text, then every text
// is made again from the record so the results are those of the stored values. Returns the
// texts to show.
std::vector<FieldText> fillReportForm(const ReportForm& form, TestReportHeader& header);

// Stores every editable field from the text the window holds for it.
void readBackReportForm(const ReportForm& form, TestReportHeader& header,
                        const std::function<std::string(int32_t field)>& textOf);

// The record as a window of the form holds it once opened and read back: filled, then every
// editable field stored as the text it was filled with. What that window shows, prints and
// saves; the command-line tool shows the same.
TestReportHeader shownReportHeader(const ReportForm& form, const TestReportHeader& header);

// The text of one field among texts; empty when it is not there.
std::string fieldText(const std::vector<FieldText>& texts, int32_t field);

}  // namespace vespian

#pragma once
// A saved report file (.care) read for comparison with others: its header and only the points
// in use, so a dozen runs side by side do not take a dozen full report images. The header is
// checked as the report file's reader checks it; a file that fails is named in the message.

#include <cstdint>
#include <string>
#include <vector>

#include "files/test_report.h"

namespace vespian {

struct SavedRun {
    std::string path;
    TestReportHeader header{};
    std::vector<float> signalMv;      // points 0 .. reportPointCount
    std::vector<float> temperatureC;  // the same length

    std::string sampleName() const;  // UTF-8
    std::string fileName() const;    // the path's last part
    // The ramp stored with the run (℃/min), or 0 when none was stored.
    double storedRampRate() const;
    // The legend of an overlay: "name  year-month-day".
    std::string legend() const;
};

struct SavedRunResult {
    bool ok = false;
    std::string message;  // for the operator, empty when ok
};

SavedRunResult readSavedRun(const std::string& path, SavedRun& run);

}  // namespace vespian

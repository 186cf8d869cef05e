#pragma once
// The files of a run, written where its save and export steps ask: one folder per run in the
// data folder, named after the sample and the date ("CuO_Al2O3_2024-05-01"; a second run of the
// same sample that day gets "…-2", so nothing an earlier run wrote is overwritten), and in it the
// whole trace (.lne), the test report (.care), the recorded stretch as CSV and the run's log
// (.log.json), each named after the test ("TPR.lne"). A PDF is drawn by the window: its path is
// handed back for the window to write.

#include <string>
#include <vector>

#include "files/test_report.h"
#include "method/method_file.h"
#include "method/method_runner.h"
#include "method/run_log.h"

namespace vespian {

class Chromatogram;

// The folder name for a sample on a date: characters a file name cannot hold become '_'.
std::string runFolderName(const std::string& sampleName, const ReportDate& date);
// A folder below dataFolder that does not exist yet, created; empty when it cannot be made.
std::string createRunFolder(const std::string& dataFolder, const std::string& sampleName, const ReportDate& date);

struct RunFilesInput {
    const MethodFile& method;
    const RunResults& results;
    const RunLog& log;
    const Chromatogram& trace;
    const TestReport* report = nullptr;  // null until an evaluation filled it
};

struct RunFilesOutcome {
    std::vector<std::string> written;   // paths
    std::vector<std::string> problems;  // for the operator
    std::vector<std::string> pdfPaths;  // for the window to draw
};

// Writes the step's items into `folder` (made by createRunFolder).
RunFilesOutcome saveRunFiles(const SaveStep& step, const std::string& folder, const RunFilesInput& input);

}  // namespace vespian

#pragma once
// The command line of vespian-report, the tool that turns the program's files into what a
// laboratory's scripts and data systems take: a summary (as text or JSON), CSV, pictures and
// the printed pages as PDF.
//
//   vespian-report FILE [--json] [--csv OUT|-] [--png OUT] [--width N] [--height N]
//                       [--pdf OUT] [--page tp|titration|desorption] [--letterhead FILE]
//                       [--table standards|samples|reports]
//   vespian-report --evaluate FILE | --kinetics A.lne B.lne … [--fit-order] | --bet-auto DB RECORD
//                  [--uncertainties FILE]
//
// One input file per call; its kind follows from its extension (report_inputs.h).

#include <cstdint>
#include <string>
#include <vector>

namespace vespian {

// Exit codes, for scripts.
enum ReportExitCode : int {
    kReportOk = 0,
    kReportUsage = 1,         // the command line is wrong
    kReportInputRefused = 2,  // the input file is missing, unreadable, of an unknown kind or damaged
    kReportOutputFailed = 3,  // an output file could not be written
};

inline constexpr int32_t kDefaultPictureWidth = 1200;
inline constexpr int32_t kDefaultPictureHeight = 600;
inline constexpr int32_t kMinPictureSide = 320;
inline constexpr int32_t kMaxPictureSide = 8000;

// Written in place of an output file name: standard output.
inline constexpr char kStandardOutput[] = "-";

struct ReportOptions {
    bool help = false;
    std::string input;
    bool json = false;    // the summary as JSON instead of text
    std::string csvPath;  // empty: no CSV; "-": to standard output, in place of the summary
    std::string pngPath;
    int32_t width = kDefaultPictureWidth;
    int32_t height = kDefaultPictureHeight;
    std::string pdfPath;  // empty: no PDF
    std::string page;     // report files: which test's page; empty for the default
    std::string table;    // record databases: which list; empty for the default
    std::string letterhead;  // report files: the letterhead file (ReportLetterhead.ini) for the pages
    // The evaluations for scripts (report_evaluate.h), each in place of an input file.
    std::string evaluate;               // --evaluate FILE
    std::vector<std::string> kinetics;  // --kinetics A.lne B.lne …
    bool fitOrder = false;              // --fit-order
    std::string betAutoDatabase;        // --bet-auto DB RECORD
    int32_t betAutoRecord = 0;
    std::string uncertaintiesPath;      // --uncertainties FILE
    bool evaluationMode() const { return !evaluate.empty() || !kinetics.empty() || !betAutoDatabase.empty(); }
};

// False with a message (Chinese, then English) when the command line cannot be used. "--help"
// or "-h" anywhere sets help and nothing else is checked.
bool parseReportOptions(const std::vector<std::string>& args, ReportOptions* options, std::string* error);

// The --help text, in Chinese and in English.
std::string reportUsage();

}  // namespace vespian

#pragma once
// Printing of the record lists: which pages a print makes and what the sample pages hold.
//
// With the standard list or the sample list active the selected samples are printed, fifteen
// to a page, as a chart of their stored traces side by side plus a table, under the header
// text of "打印设置"; with the report list active, one BET page per selected report. Copies
// repeat the whole sequence. Pages are laid out on an 840 × 1180 grid of the printer page.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/pore.h"
#include "analysis/sample_identity.h"
#include "files/record_database.h"
#include "platform/draw_list.h"

namespace vespian {

inline constexpr char kPrintDocumentName[] = "Vespian2002 Doc";
inline constexpr int32_t kSamplesPerPage = 15;
inline constexpr size_t kPrintHeaderBytes = 199;

// The settings of the run: the header text (empty at start) and whether "打印设置" last ended
// with "确定".
struct PrintSettings {
    std::string header;  // UTF-8
    bool confirmed = false;
};
// "确定": the header (at most 199 GBK bytes) is kept.
void acceptPrintSettings(PrintSettings& settings, std::string_view header);

enum class PrintKind { Samples, Reports };
// The standard list and the sample list print samples; the report list prints BET pages.
PrintKind printKindFor(RecordList active);

struct PrintPage {
    PrintKind kind = PrintKind::Samples;
    int32_t first = 0;  // samples: the first record examined; reports: the report
    int32_t end = 0;    // samples: the index after the last record examined
};

// Every page of a print, copies one after the other; empty when nothing is selected.
std::vector<PrintPage> printPages(const RecordDatabase& database, PrintKind kind, int32_t copies);

// PrintSamplePage's range: from `start`, up to fifteen samples in use and selected; returns
// the index after the last record examined.
int32_t samplePageEnd(const SampleTable& samples, int32_t start);

struct SamplePageScales {
    int32_t x = 1;    // seconds of the X axis: the summed stored lengths / 5 rounded up, + 1/50, at least 1
    int32_t y = 50;   // mV of the Y axis: the largest stored value, + 1/4, at least 50
};
SamplePageScales samplePageScales(const SampleTable& samples, int32_t start, int32_t end);

// One sample page of W × H printer pixels for the records [start, end).
DrawList samplePage(const SampleTable& samples, int32_t start, int32_t end, int32_t width, int32_t height,
                    const std::string& header, const CalendarDate& today);

// One report's page of W × H printer pixels: its pore distribution when it is a pore report and
// the pore points are given, else its BET page.
DrawList reportPage(const SurfaceReportRecord& record, const PoreTable* pores, int32_t width, int32_t height);

// One planned page of W × H printer pixels: a sample page or a report's page.
DrawList printedPage(const RecordDatabase& database, const PrintPage& page, int32_t width, int32_t height,
                     const std::string& header, const CalendarDate& today, const PoreTable* pores = nullptr);

}  // namespace vespian

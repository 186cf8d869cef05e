#pragma once
// The printed pages of a run's evaluated report, for the PDF an export step asks for: the page
// the report's window prints for that kind of report, with the header as that window shows it.

#include <cstdint>
#include <string>
#include <vector>

#include "files/report_letterhead.h"
#include "files/test_report.h"
#include "method/method_file.h"
#include "platform/draw_list.h"

namespace vespian {

// "程序升温分析报告", "氢氧滴定分析报告", "脱附量测试".
std::string runReportDocumentName(EvaluatedKind kind);
// The pages for a page of width × height device pixels. The report's header is left as it was.
std::vector<DrawList> runReportPages(EvaluatedKind kind, TestReport& report, const ReportLetterhead& letterhead,
                                     int32_t width, int32_t height);

}  // namespace vespian

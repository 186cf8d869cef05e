#include "method/run_report_pages.h"

#include "analysis/desorption_test.h"
#include "analysis/desorption_test_page.h"
#include "analysis/report_form.h"
#include "analysis/titration.h"
#include "analysis/titration_page.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"

namespace vespian {

std::string runReportDocumentName(EvaluatedKind kind) {
    switch (kind) {
    case EvaluatedKind::Titration: return kTitrationDocumentName;
    case EvaluatedKind::Desorption: return kDesorptionDocumentName;
    default: return kTpReportDocumentName;
    }
}

std::vector<DrawList> runReportPages(EvaluatedKind kind, TestReport& report, const ReportLetterhead& letterhead,
                                     int32_t width, int32_t height) {
    const TestReportHeader stored = report.header();
    std::vector<DrawList> pages;
    switch (kind) {
    case EvaluatedKind::Titration:
        report.header() = shownReportHeader(titrationForm(), stored);
        pages.push_back(titrationReportPage(report, letterhead, width, height));
        break;
    case EvaluatedKind::Desorption:
        report.header() = shownReportHeader(desorptionForm(), stored);
        pages.push_back(desorptionReportPage(report, letterhead, width, height));
        break;
    default:
        report.header() = shownReportHeader(tpReportForm(), stored);
        pages = tpReportPages(report, letterhead, width, height);
        break;
    }
    report.header() = stored;
    return pages;
}

}  // namespace vespian

#include "print/desktop/record_pdf_export.h"

#include "print/list_printing.h"

namespace vespian {

bool exportListPdf(Prompts& prompts, const ExportPlace& place, const RecordDatabase& database, RecordList active,
                   const std::string& header, const CalendarDate& today, const PoreTable* pores) {
    const std::vector<PrintPage> pages = printPages(database, printKindFor(active), 1);
    if (pages.empty()) {
        prompts.message("错误", "没有选中的记录,没有可导出的页面", PromptIcon::Error);
        return false;
    }
    return exportPdf(prompts, place, QString::fromUtf8(kPrintDocumentName), [&](int w, int h) {
        std::vector<DrawList> drawn;
        for (const PrintPage& page : pages) drawn.push_back(printedPage(database, page, w, h, header, today, pores));
        return drawn;
    });
}

bool exportBetPagePdf(Prompts& prompts, const ExportPlace& place, const SurfaceReportRecord& record,
                      const PoreTable* pores) {
    return exportPdf(prompts, place, QString::fromUtf8(kPrintDocumentName),
                     [&record, pores](int w, int h) { return std::vector<DrawList>{reportPage(record, pores, w, h)}; });
}

}  // namespace vespian

#include "print/desktop/list_printer.h"

#include <QPainter>

#include "platform/desktop/draw_list_painter.h"
#include "print/desktop/print_settings_dialog.h"

namespace vespian {

ListPrinter::ListPrinter() : printer_(QPrinter::HighResolution) {}

void ListPrinter::drawPage(QPainter& painter, int width, int height, const RecordDatabase& database,
                           const PrintPage& page, const std::string& header, const CalendarDate& today,
                           const PoreTable* pores) {
    paintDrawList(painter, printedPage(database, page, width, height, header, today, pores));
}

bool ListPrinter::print(QWidget* parent, Prompts& prompts, const RecordDatabase& database, RecordList active,
                        const CalendarDate& today, bool askSettings, const PoreTable* pores) {
    pagesPrinted_ = 0;
    const PrintKind kind = printKindFor(active);
    if (kind == PrintKind::Samples && askSettings && !PrintSettingsDialog::run(parent, settings_)) return false;
    request_.printer = &printer_;
    if (!prompts.choosePrinter(request_)) return false;
    const int copies = std::max(1, request_.copies);
    const std::vector<PrintPage> pages = printPages(database, kind, copies);
    // Nothing selected: no job at all, since a print job cannot end without a sheet and the
    // printer would feed a blank one.
    if (pages.empty()) {
        printer_.setCopyCount(copies);  // kept for the next print dialog
        return true;
    }
    // The program prints the copies itself, one whole sequence after the other.
    printer_.setCopyCount(1);
    printer_.setDocName(kPrintDocumentName);

    QPainter painter;
    if (!painter.begin(&printer_)) {
        prompts.message("错误", "无法开始打印,请检查打印机!", PromptIcon::Error);
        printer_.setCopyCount(copies);
        return false;
    }
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int width = printer_.width();
    const int height = printer_.height();
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) printer_.newPage();
        drawPage(painter, width, height, database, pages[i], settings_.header, today, pores);
        ++pagesPrinted_;
    }
    painter.end();
    printer_.setCopyCount(copies);
    return true;
}

}  // namespace vespian

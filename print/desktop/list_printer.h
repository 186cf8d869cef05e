#pragma once
// The print command on the record lists ("打印"): the settings dialog (sample pages), the print
// dialog through Prompts, then one document "Vespian2002 Doc" of the sample pages or BET pages,
// copies printed one sequence after the other. The printer, its copies and the header text are
// kept for the run, as the operator left them.

#include <QPrinter>
#include <functional>

#include "print/list_printing.h"
#include "platform/prompts.h"

namespace vespian {

class ListPrinter {
public:
    ListPrinter();

    // With `askSettings` (the normal command) the sample pages first ask "打印设置"; tests and
    // callers that set the header themselves pass false. False when the operator cancelled or
    // the printer could not start; with nothing selected nothing reaches the printer.
    // `pores`: the pore points a pore report's page shows (none: its BET page).
    bool print(QWidget* parent, Prompts& prompts, const RecordDatabase& database, RecordList active,
               const CalendarDate& today, bool askSettings = true, const PoreTable* pores = nullptr);

    QPrinter& printer() { return printer_; }
    PrintSettings& settings() { return settings_; }
    int pagesPrinted() const { return pagesPrinted_; }

    // Draws one planned page on a painter of width × height device pixels.
    static void drawPage(QPainter& painter, int width, int height, const RecordDatabase& database,
                         const PrintPage& page, const std::string& header, const CalendarDate& today,
                         const PoreTable* pores = nullptr);

private:
    QPrinter printer_;
    PrintSettings settings_;
    PrintRequest request_;
    int pagesPrinted_ = 0;
};

}  // namespace vespian

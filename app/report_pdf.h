#pragma once
// The printed pages of an input of vespian-report, written as a PDF document. The pages are
// laid out by the core for the page's size in device pixels (the same draw lists the printer
// receives); the desktop layer's writer paints them without a printer or a display. No Qt type
// here, so the tool's core needs none.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/draw_list.h"

namespace vespian {

// The pages for a page of width × height device pixels, in order.
using PageLayout = std::function<std::vector<DrawList>(int32_t width, int32_t height)>;

class ReportPdfWriter {
public:
    virtual ~ReportPdfWriter() = default;
    // Writes the pages as one document named `documentName`, replacing `path` only when the
    // document is complete. False with a message (Chinese, then English) when it cannot.
    virtual bool savePdf(const std::string& path, const std::string& documentName, const PageLayout& pages,
                         std::string* error) = 0;
};

}  // namespace vespian

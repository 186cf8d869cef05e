#pragma once
// The PDF writer of command-line programs: the printed pages painted without a printer or a
// display. The first document starts Qt when no Qt application runs yet, always on the
// offscreen platform. No Qt type in this header.

#include <memory>
#include <string>

#include "app/report_pdf.h"

namespace vespian {

class OffscreenPdfWriter final : public ReportPdfWriter {
public:
    OffscreenPdfWriter();
    ~OffscreenPdfWriter() override;

    bool savePdf(const std::string& path, const std::string& documentName, const PageLayout& pages,
                 std::string* error) override;

private:
    struct Gui;
    std::unique_ptr<Gui> gui_;
};

}  // namespace vespian

#pragma once
// Printed pages saved as a PDF document, without a printer and without the print dialog: the
// same draw lists the printer receives, painted through QPdfWriter on A4 at the printer's
// resolution. The document is written aside and renamed over the target when complete.

#include <QFont>
#include <QGuiApplication>
#include <QString>

#include <functional>
#include <vector>

#include "platform/draw_list.h"

namespace vespian {

// Text shaping gives digits that follow a Latin letter in a CJK face alternate glyphs, which
// Qt's PDF output cannot map back to characters: "CXM-2600" would be found in a saved PDF as
// "CXM-". The report pages need no shaping (no ligatures, no joining scripts), so while they are
// painted the application's default font, from which the printer's and the page's fonts are
// made, asks for none.
class UnshapedPageText {
public:
    UnshapedPageText() : previous_(QGuiApplication::font()) {
        QFont unshaped = previous_;
        unshaped.setStyleStrategy(QFont::PreferNoShaping);
        QGuiApplication::setFont(unshaped);
    }
    ~UnshapedPageText() { QGuiApplication::setFont(previous_); }
    UnshapedPageText(const UnshapedPageText&) = delete;
    UnshapedPageText& operator=(const UnshapedPageText&) = delete;

private:
    QFont previous_;
};

inline constexpr int kPdfResolutionDpi = 600;

// The pages for a page of width × height device pixels.
using PdfPageLayout = std::function<std::vector<DrawList>(int width, int height)>;

// False with `error` (Chinese, then English) when the file cannot be written or there is no
// page to write.
bool writePdfDocument(const QString& path, const QString& documentName, const PdfPageLayout& pages,
                      QString* error);

}  // namespace vespian

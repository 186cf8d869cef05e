#include "platform/desktop/pdf_document.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "platform/desktop/draw_list_painter.h"

namespace vespian {

bool writePdfDocument(const QString& path, const QString& documentName, const PdfPageLayout& pages,
                      QString* error) {
    const auto failed = [&] {
        *error = QString("无法建立‘%1’文件\ncannot write the file ‘%1’").arg(path);
        return false;
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return failed();
    const UnshapedPageText unshaped;  // before the writer starts: it takes its fonts from here
    QPdfWriter writer(&file);
    writer.setResolution(kPdfResolutionDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                     QPageLayout::Millimeter));
    writer.setTitle(documentName);
    writer.setCreator("Vespian2002");
    const std::vector<DrawList> laidOut = pages(writer.width(), writer.height());
    if (laidOut.empty()) {
        file.cancelWriting();
        *error = QString("没有可输出的页面\nthere is no page to write");
        return false;
    }
    QPainter painter;
    if (!painter.begin(&writer)) return failed();
    painter.setRenderHint(QPainter::TextAntialiasing);
    bool first = true;
    for (const DrawList& page : laidOut) {
        if (!first) writer.newPage();
        first = false;
        paintDrawList(painter, page);
    }
    if (!painter.end()) return failed();
    if (!file.commit()) return failed();
    return true;
}

}  // namespace vespian

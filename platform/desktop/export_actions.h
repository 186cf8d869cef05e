#pragma once
// The exports the windows offer beside printing: "导出PDF" (the printed pages written as a PDF
// document, through the same drawing as printing, without the print dialog), "导出CSV" (the
// window's data as a table) and "保存图片" (a chart or the trace view as a PNG picture). Each
// asks for the file through the prompts, asks before replacing one, writes through a temporary
// file and says so when the write fails. The buttons carry the object names
// "exportPdfButton", "exportCsvButton" and "savePictureButton".

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <string>

#include "platform/prompts.h"
#include "platform/desktop/pdf_document.h"

class QPushButton;
class QWidget;

namespace vespian {

inline constexpr char kExportPdfText[] = "导出PDF";
inline constexpr char kExportCsvText[] = "导出CSV";
inline constexpr char kSavePictureText[] = "保存图片";

enum class ExportKind { Pdf, Csv, Picture };

// Where the file dialog starts and the name it offers.
struct ExportPlace {
    std::string folder;
    std::string name;
};

// The pages of a document, laid out for the page size.
bool exportPdf(Prompts& prompts, const ExportPlace& place, const QString& documentName, const PdfPageLayout& pages);
// `write` writes the whole CSV file to the path (replacing it only when complete).
bool exportCsv(Prompts& prompts, const ExportPlace& place, const std::function<bool(const std::string& path)>& write);
bool exportCsvText(Prompts& prompts, const ExportPlace& place, const std::string& csv);
bool savePicture(Prompts& prompts, const ExportPlace& place, const QImage& picture);

// A button of the kind with its text and object name, at `geometry` in `parent`, doing `action`.
QPushButton* addExportButton(QWidget* parent, ExportKind kind, const QRect& geometry, std::function<void()> action);

// The trace view's "保存图片": Ctrl+Alt+S on `window` saves what `picture` gives (the view as
// the screen shows it) to a file the operator names.
void installSavePictureShortcut(QWidget* window, Prompts& prompts, std::function<ExportPlace()> place,
                                std::function<QImage()> picture);

}  // namespace vespian

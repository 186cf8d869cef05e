#include "platform/desktop/export_actions.h"

#include <QImageWriter>
#include <QKeySequence>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>

#include "platform/export_file.h"
#include "platform/saved_files.h"

namespace vespian {

namespace {

FileDialogRequest requestFor(ExportKind kind, const ExportPlace& place) {
    switch (kind) {
    case ExportKind::Pdf: return {kExportPdfText, "PDF文件 (*.pdf)", "*.pdf", place.folder, place.name};
    case ExportKind::Csv: return {kExportCsvText, "CSV文件 (*.csv)", "*.csv", place.folder, place.name};
    default: return {kSavePictureText, "PNG图片 (*.png)", "*.png", place.folder, place.name};
    }
}

}  // namespace

bool exportPdf(Prompts& prompts, const ExportPlace& place, const QString& documentName, const PdfPageLayout& pages) {
    const std::optional<std::string> path = chooseExportFile(prompts, requestFor(ExportKind::Pdf, place), kPdfExtension);
    if (!path) return false;
    QString error;
    if (writePdfDocument(QString::fromStdString(*path), documentName, pages, &error)) {
        fileSaved(SavedFileKind::Export, *path);
        return true;
    }
    reportExportFailure(prompts, *path);
    return false;
}

bool exportCsv(Prompts& prompts, const ExportPlace& place, const std::function<bool(const std::string& path)>& write) {
    return exportToChosenFile(prompts, requestFor(ExportKind::Csv, place), kCsvExtension, write);
}

bool exportCsvText(Prompts& prompts, const ExportPlace& place, const std::string& csv) {
    const std::optional<std::string> path = chooseExportFile(prompts, requestFor(ExportKind::Csv, place), kCsvExtension);
    return path && writeExportBytes(prompts, *path, csv);
}

bool savePicture(Prompts& prompts, const ExportPlace& place, const QImage& picture) {
    return exportToChosenFile(prompts, requestFor(ExportKind::Picture, place), kPngExtension,
                              [&](const std::string& path) {
                                  if (picture.isNull()) return false;
                                  QSaveFile file(QString::fromStdString(path));
                                  QImageWriter writer(&file, "png");
                                  return file.open(QIODevice::WriteOnly) && writer.write(picture) && file.commit();
                              });
}

QPushButton* addExportButton(QWidget* parent, ExportKind kind, const QRect& geometry, std::function<void()> action) {
    static constexpr const char* kNames[] = {"exportPdfButton", "exportCsvButton", "savePictureButton"};
    static constexpr const char* kTexts[] = {kExportPdfText, kExportCsvText, kSavePictureText};
    const auto i = static_cast<size_t>(kind);
    auto* button = new QPushButton(QString::fromUtf8(kTexts[i]), parent);
    button->setObjectName(kNames[i]);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, parent, std::move(action));
    return button;
}

void installSavePictureShortcut(QWidget* window, Prompts& prompts, std::function<ExportPlace()> place,
                                std::function<QImage()> picture) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), window);
    shortcut->setObjectName("savePictureShortcut");
    QObject::connect(shortcut, &QShortcut::activated, window, [&prompts, place = std::move(place),
                                                                picture = std::move(picture)] {
        savePicture(prompts, place(), picture());
    });
}

}  // namespace vespian

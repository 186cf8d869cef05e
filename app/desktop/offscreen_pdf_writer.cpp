#include "app/desktop/offscreen_pdf_writer.h"

#include <QGuiApplication>
#include <cstdio>

#include "platform/desktop/pdf_document.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

// A command-line tool's standard error is for its own messages: Qt's notes about the session it
// runs in are left out; its errors still show.
void keepQtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

struct OffscreenPdfWriter::Gui {
    Gui() {
        // Pages need fonts but never a screen: a tool run over ssh or from cron has none, and a
        // platform named for the desktop session (xcb, wayland) would stop the tool there.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(keepQtErrorsOnly);
        application = std::make_unique<QGuiApplication>(argc, argv);
        // The application took the user's locale; numbers keep the point.
        usePointDecimalsInProcess();
    }
    int argc = 1;
    char name[16] = "vespian-report";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> application;
};

OffscreenPdfWriter::OffscreenPdfWriter() = default;
OffscreenPdfWriter::~OffscreenPdfWriter() = default;

bool OffscreenPdfWriter::savePdf(const std::string& path, const std::string& documentName, const PageLayout& pages,
                                 std::string* error) {
    if (!gui_ && QCoreApplication::instance() == nullptr) gui_ = std::make_unique<Gui>();
    QString message;
    const bool ok = writePdfDocument(
        QString::fromStdString(path), QString::fromStdString(documentName),
        [&](int w, int h) { return pages(w, h); }, &message);
    if (!ok) *error = message.toStdString();
    return ok;
}

}  // namespace vespian

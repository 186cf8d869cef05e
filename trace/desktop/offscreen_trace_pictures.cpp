#include "trace/desktop/offscreen_trace_pictures.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdio>

#include "platform/desktop/canvas.h"
#include "trace/desktop/axis_labels.h"
#include "trace/trace_drawing.h"

namespace vespian {

namespace {

// A command-line tool's standard error is for its own messages: Qt's notes about the session it
// runs in (no runtime folder under cron, say) are left out; its errors still show.
void keepQtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

struct OffscreenTracePictures::Gui {
    Gui() {
        // A picture needs fonts but never a screen: a tool run over ssh or from cron has none.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(keepQtErrorsOnly);
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    int argc = 1;
    char name[16] = "vespian-report";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> application;
};

OffscreenTracePictures::OffscreenTracePictures() = default;
OffscreenTracePictures::~OffscreenTracePictures() = default;

bool OffscreenTracePictures::savePng(const std::string& path, const Chromatogram& trace, int32_t width,
                                     int32_t height, std::string* error) {
    if (!gui_ && QCoreApplication::instance() == nullptr) gui_ = std::make_unique<Gui>();
    if (!renderer_) renderer_ = std::make_unique<TraceRenderer>();

    // The window's area starts kViewTop down; the picture is the band below that.
    QImage canvas(width, kViewTop + height, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    TraceView view = wholeTraceView(trace, width, height);
    PixelSurface surface = surfaceOf(canvas);
    const AxisLayout axes = renderer_->drawFullView(surface, view, trace);
    drawAxisLabels(canvas, axes.labels);
    const QImage picture = canvas.copy(0, kViewTop, width, height);

    // Written aside and renamed over the target when complete.
    QSaveFile file(QString::fromStdString(path));
    QImageWriter writer(&file, "png");
    if (!file.open(QIODevice::WriteOnly) || !writer.write(picture) || !file.commit()) {
        *error = "无法建立‘" + path + "’文件\ncannot write the file ‘" + path + "’";
        return false;
    }
    return true;
}

}  // namespace vespian

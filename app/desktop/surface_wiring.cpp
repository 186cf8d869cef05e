#include "app/desktop/surface_wiring.h"

#include <QDate>
#include <QPainter>
#include <algorithm>
#include <memory>

#include "analysis/desktop/bet_point_dialog.h"
#include "analysis/pore.h"
#include "analysis/desktop/bet_report_dialog.h"
#include "analysis/desktop/comparison_store_dialog.h"
#include "app/audit_values.h"
#include "app/desktop/main_window.h"
#include "app/program_state.h"
#include "analysis/desktop/calibration_dialog.h"

namespace vespian {

namespace {

constexpr char kCalibrationSubject[] = "标定吸附量";

}  // namespace

QImage recognisedPeakPicture(const PeakRecord& peak, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int n = std::clamp(static_cast<int>(peak.storedPointCount), 0, kPeakRecordPoints);
    if (n < 2) return image;
    float low = peak.points[0];
    float high = peak.points[0];
    for (int i = 1; i < n; ++i) {
        low = std::min(low, peak.points[i]);
        high = std::max(high, peak.points[i]);
    }
    // A flat peak is drawn as a line through the middle rather than divided by zero.
    const double span = high > low ? high - low : 1.0;
    const double margin = 10.0;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(210, 0, 50), 1.5));
    QPolygonF line;
    line.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double x = margin + (width - 2 * margin) * i / (n - 1);
        const double y = height - margin - (height - 2 * margin) * (peak.points[i] - low) / span;
        line << QPointF(x, y);
    }
    painter.drawPolyline(line);
    return image;
}

CalendarDate localToday() {
    const QDate today = QDate::currentDate();
    return {today.year(), today.month(), today.day()};
}

SurfaceWiring::SurfaceWiring(MainWindow& window, ProgramState& state, Prompts& prompts)
    : window_(window), state_(state), prompts_(prompts) {
    window_.handlePeakDialog(kCalibrationDialogTemplate, [this] { openCalibration(); });
    window_.handlePeakDialog(kBetPointDialogTemplate, [this] { openBetPoint(); });
}

void SurfaceWiring::changed() {
    if (tablesChanged_) tablesChanged_();
}

void SurfaceWiring::setOpen(bool open) {
    dialogOpen_ = open;
    if (openListener_) openListener_(open);
}

void SurfaceWiring::openCalibration() {
    PeakTable& peaks = *state_.peaks;
    if (dialogOpen_ || peaks.count < 1) return;
    setOpen(true);
    state_.peakDetector.reset();  // a peak that had begun starts again after the dialog
    const BetCalibrationDefaults defaults = BetCalibrationDefaults::fromArray(state_.zevid.betCalibration);
    ReportTable& reports = state_.database->reports();
    const int32_t slot = reports.count;
    const bool inTable = slot >= 0 && slot < kReportCapacity;
    const std::string before = inTable ? calibrationText(reports.records[slot]) : std::string();
    if (CalibrationDialog::run(&window_, reports, peaks, defaults, prompts_, recognisedPeakPicture(peaks.records[0])) &&
        inTable) {
        window_.showArchiveNotice(state_.archiving.audit(audit_action::kSetting, kCalibrationSubject, before,
                                                         calibrationText(reports.records[slot])));
    }
    setOpen(false);
    changed();
}

void SurfaceWiring::openBetPoint() {
    PeakTable& peaks = *state_.peaks;
    if (dialogOpen_ || peaks.count < 1) return;
    setOpen(true);
    state_.peakDetector.reset();
    ReportTable& reports = state_.database->reports();
    // The dialog empties the peak table; the peak a committed point came from goes on as its
    // pore point.
    const auto peak = std::make_unique<PeakRecord>(peaks.records[0]);
    const int32_t slot = reports.count;
    const int32_t before = slot >= 0 && slot < kReportCapacity ? reports.records[slot].point_count : -1;
    const bool finish = BetPointDialog::run(&window_, reports, peaks, prompts_, recognisedPeakPicture(peaks.records[0]));
    if (pores_ && before >= 0 && reports.records[slot].point_count > before) {
        appendPorePoint(*pores_, reports.records[slot], before, *peak, sampleIdentityOf(state_.settings.sample).weightMg);
    }
    if (finish) {
        BetCalibrationDefaults defaults = BetCalibrationDefaults::fromArray(state_.zevid.betCalibration);
        if (BetReportDialog::run(&window_, reports, raw_, sampleIdentityOf(state_.settings.sample), defaults,
                                 prompts_, localToday())) {
            // The next calibration starts from this report's loop and pressures (kept in ZEvid.ini).
            defaults.toArray(state_.zevid.betCalibration);
        }
    }
    setOpen(false);
    changed();
}

StoreResult SurfaceWiring::openComparisonStore(const PeakRecord& peak) {
    const StoreResult result = ComparisonStoreDialog::run(&window_, *state_.database, peak,
                                                          sampleIdentityOf(state_.settings.sample), prompts_,
                                                          localToday());
    changed();
    return result;
}

}  // namespace vespian

#include "method/desktop/method_timeline_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <map>

#include "control/gas_table.h"
#include "control/desktop/preview_frame.h"
#include "control/programme_preview.h"
#include "platform/desktop/program_font.h"

namespace vespian {

namespace {

const QColor& kPlan = kPreviewPlan;
const QColor& kMuted = kPreviewMuted;
const QColor& kActive = kPreviewActive;
constexpr int kTextHeight = 22;
constexpr int kBandHeight = 14;

QColor gasColour(const std::string& gas) {
    // Flammable and oxidising gases in warm colours, the inert ones in cool greys and blues.
    static const std::map<std::string, QColor> known = {
        {"氢气", QColor(0xe8, 0x8a, 0x2e)}, {"氧气", QColor(0x3b, 0x9c, 0x5a)}, {"氩气", QColor(0x7d, 0x8f, 0xb3)},
        {"氦气", QColor(0x9a, 0xb8, 0xd8)}, {"氮气", QColor(0x8c, 0x9b, 0xa5)}, {"氨气", QColor(0xb0, 0x6a, 0xc9)},
        {"一氧化碳", QColor(0xc9, 0x50, 0x50)},
    };
    if (auto it = known.find(gas); it != known.end()) return it->second;
    return QColor::fromHsv(static_cast<int>(qHash(QString::fromStdString(gas)) % 360), 90, 200);
}

}  // namespace

MethodTimelineView::MethodTimelineView(QWidget* parent) : QWidget(parent) {
    setObjectName("methodPreview");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(190);
}

void MethodTimelineView::show(const MethodFile& method, int selected, int32_t secondOfDay) {
    timeline_ = methodTimeline(method);
    selected_ = selected;
    const int64_t end = static_cast<int64_t>(secondOfDay) + static_cast<int64_t>(timeline_.totalS + 0.5);
    summary_ = QString("方法预览：共%1步，预计总时长%2，若现在开始预计%3结束")
                   .arg(method.steps.size())
                   .arg(QString::fromStdString(durationText(timeline_.totalS)))
                   .arg(QString::fromStdString(clockText(end)));
    update();
}

void MethodTimelineView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawPreviewCard(p, rect(), summary_);

    const int channels = kFlowChannelCount;
    const PreviewFrame frame{
        QRectF(48, kTextHeight + 10, width() - 84, height() - kTextHeight - 30 - channels * kBandHeight),
        previewAxes(ProgrammePlan{}, timeline_.highestC, timeline_.totalS)};
    const QRectF& plot = frame.plot;
    if (plot.width() < 20 || plot.height() < 20) return;
    auto at = [&](double seconds, double celsius) { return frame.at(seconds, celsius); };
    if (selected_ >= 0 && static_cast<size_t>(selected_) < timeline_.stepBeginS.size()) {
        const double begin = timeline_.stepBeginS[static_cast<size_t>(selected_)];
        const double end = static_cast<size_t>(selected_) + 1 < timeline_.stepBeginS.size()
                               ? timeline_.stepBeginS[static_cast<size_t>(selected_) + 1]
                               : timeline_.totalS;
        const double left = at(begin, 0).x();
        p.fillRect(QRectF(left - 1, plot.top(), std::max(3.0, at(end, 0).x() - left + 2), plot.height()), kActive);
    }
    drawPreviewGrid(p, frame);

    if (timeline_.temperature.size() > 1) {
        QPainterPath planned;
        planned.moveTo(at(timeline_.temperature[0].atS, timeline_.temperature[0].temperatureC));
        for (const TimelinePoint& point : timeline_.temperature) planned.lineTo(at(point.atS, point.temperatureC));
        p.setPen(QPen(kPlan, 2, Qt::DashLine));
        p.drawPath(planned);
    }
    // The gas bands, one row per channel under the time axis.
    const double bandsTop = plot.bottom() + 18;
    for (int c = 0; c < channels; ++c) {
        const double y = bandsTop + c * kBandHeight;
        p.setPen(kMuted);
        p.drawText(QRectF(0, y, plot.left() - 4, kBandHeight - 2), Qt::AlignRight | Qt::AlignVCenter,
                   QString("%1#").arg(c + 1));
    }
    for (const GasBand& band : timeline_.gases) {
        const double y = bandsTop + (band.channel - 1) * kBandHeight;
        const double left = at(band.beginS, 0).x();
        const QRectF box(left, y + 1, std::max(2.0, at(band.endS, 0).x() - left), kBandHeight - 3);
        p.fillRect(box, gasColour(band.gas));
        if (box.width() > 80) {
            p.setPen(Qt::white);
            p.drawText(box.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                       QString("%1 %2 ml/min").arg(QString::fromStdString(band.gas)).arg(band.flowMlMin));
        }
    }
}

}  // namespace vespian

#include "control/desktop/programme_preview_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "platform/desktop/program_font.h"
#include "control/desktop/control_context.h"
#include "control/desktop/preview_frame.h"
#include "trace/chromatogram.h"

namespace vespian {

namespace {

const QColor& kPlan = kPreviewPlan;
const QColor kLive(0x1d, 0x6f, 0xd6);
const QColor& kInk = kPreviewInk;
const QColor& kMuted = kPreviewMuted;
const QColor& kActive = kPreviewActive;
constexpr int kLiveSamples = 600;
constexpr int kTextHeight = 40;

QString qs(const std::string& text) { return QString::fromStdString(text); }

QString segmentName(int32_t segment) {
    const std::string_view name = kSegmentNames[static_cast<size_t>(std::clamp(segment, 0, kProgrammeSegments - 1))];
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

ProgrammePreviewView::ProgrammePreviewView(ControlContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("programmePreview");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProgrammePreviewView::refresh() {
    const FurnaceProgram& program = context_.control.programme;
    running_ = program.running != 0 && program.run.known;
    plan_ = planOf(program, context_.newestTemperature());
    live_.clear();
    elapsedS_ = 0.0;
    if (running_) {
        live_ = liveCurve(context_.trace.temperatureC(), program.run.startPoint, context_.pointCount(), kLiveSamples);
        // The trace's clock is the instrument's; without the trace (cleared since) the wall clock.
        elapsedS_ = !live_.empty() ? live_.back().seconds
                                   : static_cast<double>(context_.wallSeconds() - program.run.wallStartS);
    }
    double liveMax = 0.0;
    for (const LiveSample& s : live_) liveMax = std::max(liveMax, s.temperatureC);
    axes_ = previewAxes(plan_, liveMax, elapsedS_);
    planPosition_ = positionAt(plan_, elapsedS_);
    finished_ = running_ && planPosition_.finished;

    if (plan_.segmentCount == 0) {
        summary_ = "程序预览：尚未设定温控段";
        position_.clear();
    } else {
        summary_ = QString("程序预览：共%1段，总时长%2").arg(plan_.segmentCount).arg(qs(durationText(plan_.totalS)));
        // Elapsed and left are the instrument's seconds; the end is counted from now with them.
        const int64_t end = expectedEndSecondOfDay(plan_, elapsedS_, context_.secondOfDay());
        if (!running_) {
            position_ = QString("从当前炉温%1℃开始，若现在启动预计%2结束")
                            .arg(context_.newestTemperature(), 0, 'f', 0)
                            .arg(qs(clockText(end)));
        } else {
            if (finished_) {
                position_ = QString("计划已于%1完成，仪器保持末段温度，请停止程序升温").arg(qs(clockText(end)));
            } else {
                position_ = QString("已运行%1：应在%2%3，计划温度%4℃，预计%5结束")
                                .arg(qs(durationText(elapsedS_)))
                                .arg(segmentName(planPosition_.segment))
                                .arg(planPosition_.hold ? "恒温" : "升温")
                                .arg(planPosition_.plannedC, 0, 'f', 0)
                                .arg(qs(clockText(end)));
            }
        }
    }
    update();
}

void ProgrammePreviewView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawPreviewCard(p, rect(), summary_);
    p.setFont(programFont(12));
    p.setPen(finished_ ? kPlan : kMuted);
    p.drawText(QRect(10, 20, width() - 20, 18), Qt::AlignLeft | Qt::AlignVCenter, position_);

    const PreviewFrame frame{QRectF(48, kTextHeight + 8, width() - 84, height() - kTextHeight - 30), axes_};
    const QRectF& plot = frame.plot;
    if (plot.width() < 20 || plot.height() < 20) return;
    auto at = [&](double seconds, double celsius) { return frame.at(seconds, celsius); };
    // The segment that should run now, shaded.
    if (running_ && !finished_ && planPosition_.segment >= 0) {
        for (int32_t i = 0; i < plan_.stageCount; ++i) {
            const PlanStage& s = plan_.stages[static_cast<size_t>(i)];
            if (s.segment != planPosition_.segment) continue;
            const double left = at(s.beginS, 0).x();
            const double right = at(s.endS, 0).x();
            p.fillRect(QRectF(left, plot.top(), std::max(1.0, right - left), plot.height()), kActive);
        }
    }
    drawPreviewGrid(p, frame);

    if (plan_.stageCount > 0) {
        QPainterPath planned;
        planned.moveTo(at(0, plan_.startC));
        for (int32_t i = 0; i < plan_.stageCount; ++i) {
            planned.lineTo(at(plan_.stages[static_cast<size_t>(i)].endS, plan_.stages[static_cast<size_t>(i)].toC));
        }
        // After the plan the controller holds the last target until stopped.
        if (running_ && elapsedS_ > plan_.totalS) planned.lineTo(at(elapsedS_, plan_.stages[static_cast<size_t>(plan_.stageCount - 1)].toC));
        p.setPen(QPen(kPlan, 2, Qt::DashLine));
        p.drawPath(planned);
    }
    if (live_.size() > 1) {
        QPainterPath measured;
        measured.moveTo(at(live_[0].seconds, live_[0].temperatureC));
        for (size_t i = 1; i < live_.size(); ++i) measured.lineTo(at(live_[i].seconds, live_[i].temperatureC));
        p.setPen(QPen(kLive, 2));
        p.drawPath(measured);
    }
    if (running_) {
        const double x = at(elapsedS_, 0).x();
        p.setPen(QPen(kInk, 1, Qt::DotLine));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    // Legend.
    const double lx = plot.right() - 150;
    p.setPen(QPen(kPlan, 2, Qt::DashLine));
    p.drawLine(QPointF(lx, plot.top() + 10), QPointF(lx + 22, plot.top() + 10));
    p.setPen(kInk);
    p.drawText(QPointF(lx + 26, plot.top() + 14), "计划");
    p.setPen(QPen(kLive, 2));
    p.drawLine(QPointF(lx + 70, plot.top() + 10), QPointF(lx + 92, plot.top() + 10));
    p.setPen(kInk);
    p.drawText(QPointF(lx + 96, plot.top() + 14), "实测");
}

}  // namespace vespian

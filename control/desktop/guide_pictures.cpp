#include "control/desktop/guide_pictures.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "platform/desktop/program_font.h"
#include "control/programme_preview.h"

namespace vespian {

namespace {

const QColor kInk(0x2b, 0x36, 0x42);
const QColor kMuted(0x5a, 0x68, 0x78);
const QColor kAccent(0x1d, 0x4f, 0x91);
const QColor kWatch(0xb3, 0x4a, 0x00);
const QColor kOpen(0x2e, 0xb8, 0x5c);
const QColor kShut(0xc3, 0xcb, 0xd4);
const QColor kRule(0xdd, 0xe3, 0xea);
const QColor kHeat(0xd9, 0x45, 0x3b);

constexpr int kMargin = 36;
constexpr int kDiagramWidth = 420;
constexpr int kFlowsHeight = 30;
constexpr int kValveRowHeight = 30;

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

int diagramHeightOf(GuideKind kind) { return kind == GuideKind::Titration ? 2 * kGuideDiagramHeight : kGuideDiagramHeight; }

void drawFlows(QPainter& p, const QRectF& r, const GuideFlows& flows) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xee, 0xf4, 0xfb));
    p.drawRoundedRect(r, 5, 5);
    p.setPen(kInk);
    p.setFont(programFont(13));
    const QString text = QString("流量设定   1#通道 %1 %2 ml/min    2#通道 %3 %4 ml/min")
                             .arg(qs(flows.gas1))
                             .arg(flows.flow1)
                             .arg(qs(flows.gas2))
                             .arg(flows.flow2);
    p.drawText(r.adjusted(10, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
}

// The valves in two rows of four, each with the caption its panel button shows.
void drawValves(QPainter& p, const QRectF& r, const std::array<int8_t, kValveCount>& valves) {
    const double cell = r.width() / 4.0;
    for (int k = 0; k < kValveCount; ++k) {
        const bool on = valves[static_cast<size_t>(k)] != 0;
        const QRectF c(r.left() + (k % 4) * cell, r.top() + (k / 4) * kValveRowHeight, cell - 6, kValveRowHeight - 5);
        p.setPen(QPen(on ? kOpen.darker(130) : kShut.darker(120), 1));
        p.setBrush(on ? QColor(0xdf, 0xf5, 0xe6) : QColor(0xf4, 0xf6, 0xf8));
        p.drawRoundedRect(c, 4, 4);
        p.setPen(kInk);
        p.setFont(programFont(12));
        p.drawText(c.adjusted(5, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, qs(kValveNames[static_cast<size_t>(k)]));
        p.setPen(on ? kOpen.darker(150) : kMuted);
        p.setFont(programFont(14, true));
        p.drawText(c.adjusted(0, 0, -5, 0), Qt::AlignVCenter | Qt::AlignRight, qs(valveCaption(k, on, true)));
    }
}

void drawProgramme(QPainter& p, const QRectF& r, const std::array<ProgramSegment, kGuideProgrammeSegments>& segments) {
    std::array<ProgramSegment, kProgrammeSegments> all{};
    std::copy(segments.begin(), segments.end(), all.begin());
    const ProgrammePlan plan = planProgramme(all, 25.0);
    const PreviewAxes axes = previewAxes(plan, 0.0, 0.0);
    const QRectF plot = r.adjusted(44, 8, -12, -22);
    p.setPen(QPen(kRule, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    p.setFont(programFont(11));
    auto at = [&](double seconds, double celsius) {
        return QPointF(plot.left() + plot.width() * seconds / 60.0 / axes.maxMinutes,
                       plot.bottom() - plot.height() * celsius / axes.maxC);
    };
    p.setPen(kMuted);
    p.drawText(QRectF(r.left(), plot.top() - 6, 40, 14), Qt::AlignRight, QString::number(axes.maxC) + "℃");
    p.drawText(QRectF(r.left(), plot.bottom() - 8, 40, 14), Qt::AlignRight, "0");
    p.drawText(QRectF(plot.left(), plot.bottom() + 4, plot.width(), 14), Qt::AlignRight,
               QString("%1 min").arg(axes.maxMinutes));
    QPainterPath curve;
    curve.moveTo(at(0, plan.startC));
    for (int32_t i = 0; i < plan.stageCount; ++i) curve.lineTo(at(plan.stages[static_cast<size_t>(i)].endS, plan.stages[static_cast<size_t>(i)].toC));
    p.setPen(QPen(kHeat, 2.5));
    p.drawPath(curve);
    p.setPen(kInk);
    p.setFont(programFont(12));
    for (int32_t i = 0; i < plan.stageCount; i += 2) {
        const PlanStage& ramp = plan.stages[static_cast<size_t>(i)];
        const ProgramSegment& s = all[static_cast<size_t>(ramp.segment)];
        const QPointF top = at(ramp.endS, ramp.toC);
        p.drawText(QPointF(std::min(top.x() + 4, plot.right() - 178), std::max(top.y() - 6, plot.top() + 14)),
                   QString("%1℃ %2℃/Min 恒温%3 Min").arg(s.targetC).arg(s.rateCPerMin).arg(s.holdMin));
    }
    p.setPen(kMuted);
    p.drawText(QRectF(plot.left(), plot.bottom() + 4, plot.width(), 14), Qt::AlignLeft,
               "程序升温 · 共" + QString::fromStdString(durationText(plan.totalS)));
}

// A pulse train: full-size pulses through the bypass, or a titration's growing pulses.
void drawPulses(QPainter& p, const QRectF& r, bool fullSize) {
    const QRectF plot = r.adjusted(8, 8, -8, -20);
    static constexpr double kTitration[] = {0.02, 0.12, 0.62, 1.0, 1.0, 1.0};
    const int count = fullSize ? 3 : 6;
    const double fullY = plot.top() + 12;
    p.setPen(QPen(kMuted, 1, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), fullY), QPointF(plot.right(), fullY));
    p.setFont(programFont(11));
    p.drawText(QPointF(plot.left(), fullY - 3), "满峰");
    QPainterPath trace;
    const double base = plot.bottom();
    trace.moveTo(plot.left(), base);
    for (double x = plot.left(); x <= plot.right(); x += 1.0) {
        double y = 0.0;
        for (int i = 0; i < count; ++i) {
            const double centre = plot.left() + plot.width() * (i + 0.5) / count;
            const double height = (fullSize ? 1.0 : kTitration[i]) * (base - fullY);
            const double u = (x - centre) / (x < centre ? 3.0 : 7.0);
            y += height * std::exp(-0.5 * u * u);
        }
        trace.lineTo(x, base - y);
    }
    p.setPen(QPen(QColor(0xe0, 0x1e, 0x78), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);
    p.setPen(kMuted);
    p.drawText(QRectF(plot.left(), plot.bottom() + 4, plot.width(), 14), Qt::AlignLeft,
               fullSize ? "旁通进样：定量环满峰，面积一致" : "经过样品：先被消耗，逐渐长大至满峰");
}

void drawStep(QPainter& p, GuideKind kind, int width, int number, const GuideStep& step, const GuideStepPlace& place) {
    const int top = place.top;
    // A rule between steps and the numbered tab.
    p.setPen(QPen(kRule, 1));
    p.drawLine(QPointF(kMargin, top + 2), QPointF(width - kMargin, top + 2));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(kMargin, top + 8, 6, 24), 2, 2);
    p.setPen(kAccent);
    p.setFont(programFont(19, true));
    p.drawText(QPointF(kMargin + 16, top + 28), qs(step.heading));
    (void)number;

    const int textRight = place.diagram ? width - kMargin - kDiagramWidth - 20 : width - kMargin;
    p.setFont(programFont(16));
    p.setPen(kInk);
    int y = top + kGuideHeadingHeight;
    for (std::string_view line : step.lines) {
        if (line.empty()) continue;
        p.drawText(QRectF(kMargin + 16, y, textRight - kMargin - 16, kGuideLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   qs(line));
        y += kGuideLineHeight;
    }
    if (!step.watch.empty()) {
        p.setPen(kWatch);
        p.setFont(programFont(15, true));
        p.drawText(QRectF(kMargin + 16, y, textRight - kMargin - 16, kGuideLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   "▶ " + qs(step.watch));
    }
    if (!place.diagram) return;

    // The diagram beside the text: flows, valves, then the programme or the pulses below.
    QRectF area(width - kMargin - kDiagramWidth, top + kGuideHeadingHeight - 4, kDiagramWidth, diagramHeightOf(kind));
    p.setPen(QPen(kRule, 1));
    p.setBrush(QColor(0xfb, 0xfc, 0xfd));
    p.drawRoundedRect(area.adjusted(-8, -4, 8, 4), 6, 6);
    if (step.flows) {
        drawFlows(p, QRectF(area.left(), area.top(), area.width(), kFlowsHeight - 4), *step.flows);
        area.setTop(area.top() + kFlowsHeight);
    }
    if (step.valves) {
        drawValves(p, QRectF(area.left(), area.top(), area.width(), 2 * kValveRowHeight), *step.valves);
        area.setTop(area.top() + 2 * kValveRowHeight + 2);
    }
    if (area.height() < 40) return;
    if (step.programme[0].defined) {
        drawProgramme(p, area, step.programme);
    } else if (step.pulses) {
        drawPulses(p, area, step.valves && (*step.valves)[4] != 0);
    }
}

}  // namespace

QImage guidePicture(GuideKind kind) {
    const GuideWindowInfo& info = guideInfo(kind);
    QImage image(info.pictureWidth, info.pictureHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The title band.
    QLinearGradient band(0, 0, info.pictureWidth, 0);
    band.setColorAt(0, QColor(0x1d, 0x4f, 0x91));
    band.setColorAt(1, QColor(0x2f, 0x7b, 0xd6));
    p.fillRect(QRect(0, 0, info.pictureWidth, kGuideTitleBand - 16), band);
    p.setPen(Qt::white);
    p.setFont(programFont(26, true));
    p.drawText(QPointF(kMargin, 42), qs(info.title));
    p.setFont(programFont(15));
    p.drawText(QPointF(kMargin, 64), qs(info.subtitle));

    const GuideLayout layout = layoutGuide(kind);
    const std::span<const GuideStep> steps = guideSteps(kind);
    for (int32_t i = 0; i < layout.count; ++i) {
        drawStep(p, kind, info.pictureWidth, i + 1, steps[static_cast<size_t>(i)], layout.steps[static_cast<size_t>(i)]);
    }
    p.end();
    return image;
}

}  // namespace vespian

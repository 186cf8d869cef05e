#include "print/list_printing.h"

#include <algorithm>
#include <cmath>

#include "analysis/bet_page.h"
#include "analysis/pore_page.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

constexpr DrawColour kTraceColour = rgb(210, 0, 50);
constexpr DrawColour kPeakMarkColour = rgb(0, 120, 0);
constexpr DrawColour kSerialColour = rgb(0, 220, 220);

bool printable(const SampleRecord& s) { return s.in_use != 0 && s.selected != 0; }

int32_t clampedCount(const SampleTable& samples) { return std::clamp(samples.count, 0, kSampleCapacity); }

// The stored point count of a sample's trace, within the array.
int32_t storedCount(const SampleRecord& s) {
    const float n = s.trace[0];
    if (!std::isfinite(n) || n < 0.0f) return 0;
    return n > float(kSampleTraceSize - 1) ? kSampleTraceSize - 1 : static_cast<int32_t>(n);
}

int32_t truncValue(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int32_t>(std::clamp(v, -2e9, 2e9));
}

}  // namespace

void acceptPrintSettings(PrintSettings& settings, std::string_view header) {
    settings.header = utf8WithinGbkBytes(header, kPrintHeaderBytes);
    settings.confirmed = true;
}

PrintKind printKindFor(RecordList active) {
    return active == RecordList::Reports ? PrintKind::Reports : PrintKind::Samples;
}

int32_t samplePageEnd(const SampleTable& samples, int32_t start) {
    const int32_t count = clampedCount(samples);
    int32_t found = 0;
    int32_t i = std::max(start, 0);
    for (; i < count && found < kSamplesPerPage; ++i) {
        if (printable(samples.records[i])) ++found;
    }
    return i;
}

std::vector<PrintPage> printPages(const RecordDatabase& database, PrintKind kind, int32_t copies) {
    std::vector<PrintPage> pages;
    for (int32_t copy = 0; copy < copies; ++copy) {
        if (kind == PrintKind::Reports) {
            const ReportTable& reports = database.reports();
            for (int32_t i = 0; i < std::clamp(reports.count, 0, kReportCapacity); ++i) {
                const SurfaceReportRecord& r = reports.records[i];
                if (r.in_use != 0 && r.selected != 0) pages.push_back({kind, i, i + 1});
            }
            continue;
        }
        const SampleTable& samples = database.samples();
        const int32_t count = clampedCount(samples);
        int32_t index = 0;
        for (;;) {
            while (index < count && !printable(samples.records[index])) ++index;
            if (index >= count) break;
            const int32_t end = samplePageEnd(samples, index);
            pages.push_back({kind, index, end});
            index = end;
        }
    }
    return pages;
}

SamplePageScales samplePageScales(const SampleTable& samples, int32_t start, int32_t end) {
    int64_t points = 0;
    int32_t y = 0;
    for (int32_t i = std::max(start, 0); i < std::min(end, clampedCount(samples)); ++i) {
        const SampleRecord& s = samples.records[i];
        if (!printable(s)) continue;
        const int32_t n = storedCount(s);
        points += n;
        for (int32_t k = 1; k <= n - 1; ++k) y = std::max(y, truncValue(s.trace[k]));
    }
    // The time axis is the peaks' own length, so short peaks fill the chart instead of a sliver
    // at its left edge; counted over the sum, so the peaks side by side never run past it.
    int64_t x = (points + 4) / 5;
    x += x / 50;
    y += y / 4;
    return {static_cast<int32_t>(std::clamp<int64_t>(x, 1, 2000000000)), std::max(y, 50)};
}

DrawList samplePage(const SampleTable& samples, int32_t start, int32_t end, int32_t W, int32_t H,
                    const std::string& header, const CalendarDate& today) {
    DrawList page;
    const double f = W / 800.0;
    auto U = [W](double u) { return static_cast<int32_t>(W * u / 840.0); };
    auto V = [H](double v) { return static_cast<int32_t>(H * v / 1180.0); };
    const int32_t font = static_cast<int32_t>(14 * f);
    auto text = [&](int32_t x, int32_t y, std::string content, HAlign h = HAlign::Left, VAlign v = VAlign::Top) {
        DrawText t;
        t.x = x;
        t.y = y;
        t.text = std::move(content);
        t.pixelSize = font;
        t.face = FontFace::Hei;
        t.h = h;
        t.v = v;
        return t;
    };
    auto line = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2, DrawColour colour = kBlack, DrawBox clip = {}) {
        page.add(DrawLine{{x1, y1}, {x2, y2}, colour, 1, false, clip});
    };

    // 1. Header.
    DrawText title = text(U(100), V(72), header);
    title.pixelSize = static_cast<int32_t>(28 * f);
    page.add(title);

    // 3. Rules under the header and across the middle.
    for (int k = 0; k < 10; ++k) line(U(80), V(100) + k, W - U(80), V(100) + k);
    for (int k = 0; k < 5; ++k) line(U(80), H / 2 + k, W - U(80), H / 2 + k);

    // 4–5. Chart labels and the chart box of five nested frames.
    page.add(text(U(120), V(120), "谱图："));
    page.add(text(U(100), V(148), "(mV)"));
    page.add(text(U(740), V(528), "(秒)"));
    const int32_t L = U(140), T = V(180), R = W - U(140), B = V(520);
    for (int k = 0; k < 5; ++k) page.add(DrawFrame{{L + k, T + k, R + 1 - k, B + 1 - k}, kBlack, 1});
    const DrawBox chart{L, T, R + 1, B + 1};

    // 6–9. Scales, the base line and the axes.
    const SamplePageScales scales = samplePageScales(samples, start, end);
    line(U(140), V(500), R, V(500));
    line(U(140), V(500) + 1, R, V(500) + 1);
    double tickX = L;
    for (int p = 0; p <= 10; ++p) {
        const int32_t x = static_cast<int32_t>(tickX);
        line(x, V(520), x, V(528));
        line(x + 1, V(520), x + 1, V(528));
        page.add(text(x, V(528), printfText("%d", static_cast<int32_t>(int64_t(scales.x) * p / 10)), HAlign::Centre));
        tickX += (R - L) / 10.0;
    }
    for (int p = 0; p <= 10; ++p) {
        const int32_t y = static_cast<int32_t>(V(500) - p * V(320) / 10.0);
        line(U(132), y, U(140), y);
        line(U(132), y + 1, U(140), y + 1);
        page.add(text(U(132), y, printfText("%d", static_cast<int32_t>(int64_t(scales.y) * p / 10)), HAlign::Right,
                      VAlign::Centre));
    }

    // 10–11. The table's frame, its heads and the print date.
    for (int k = 0; k < 4; ++k) {
        line(U(100), V(720) + k, W - U(100), V(720) + k);
        line(U(100), V(1080) + k, W - U(100), V(1080) + k);
    }
    page.add(text(U(100), V(680), "编号"));
    page.add(text(U(200), V(680), "名称"));
    page.add(text(U(280), V(680), "重量"));
    page.add(text(U(280), V(700), "[mg]"));
    page.add(text(U(340), V(680), "峰面积"));
    page.add(text(U(440), V(680), "表面积"));
    page.add(text(U(440), V(700), "[m /g]"));
    DrawText squared = text(U(440), V(694), "2");
    squared.after = "[m";
    page.add(squared);
    page.add(text(U(520), V(680), "送样单位"));
    page.add(text(U(660), V(680), "测定日期"));
    page.add(text(W - U(100), V(1088), printfText("打印日期：%d-%d-%d", today.year, today.month, today.day),
                  HAlign::Right));

    // 12. The samples: traces side by side, peak marks, table rows.
    const double span = R - L;
    const int32_t lift = (B - T) / 20;
    int32_t x0 = L;
    int32_t k = 0;
    for (int32_t i = std::max(start, 0); i < std::min(end, clampedCount(samples)) && k < kSamplesPerPage; ++i) {
        const SampleRecord& s = samples.records[i];
        if (!printable(s)) continue;
        const int32_t n = storedCount(s);
        auto px = [&](int32_t point) { return x0 + static_cast<int32_t>(point / (5.0 * scales.x) * span); };
        auto py = [&](int32_t point) {
            return B - truncValue(double(s.trace[point]) / scales.y * (B - T)) - lift;
        };
        DrawPolyline trace;
        trace.colour = kTraceColour;
        trace.clip = chart;
        if (n >= 2) {
            trace.points.push_back({x0, py(2)});
            for (int32_t p = 2; p <= n; ++p) trace.points.push_back({px(p), py(p)});
        }
        int32_t peak = 1;
        float highest = 0.0f;
        for (int32_t p = 2; p <= n; ++p) {
            if (s.trace[p] > highest) {
                highest = s.trace[p];
                peak = p;
            }
        }
        if (n >= 1) {
            const int32_t mx = px(peak);
            const int32_t my = py(peak);
            line(mx, my, mx, my - lift, kPeakMarkColour, chart);
            const int32_t labelY = my - lift - font;
            if (chart.left <= mx && mx < chart.right && chart.top <= labelY && my - lift < chart.bottom) {
                DrawText serial = text(mx, labelY, printfText("%d", s.serial), HAlign::Centre);
                serial.colour = kSerialColour;
                page.add(serial);
            }
        }
        if (!trace.points.empty()) page.add(std::move(trace));
        x0 = n >= 2 ? px(n) : x0;

        const int32_t rowY = static_cast<int32_t>(H * (0.58 * k + 18.2) / 29.5);
        page.add(text(U(100), rowY, printfText("%d", s.serial)));
        page.add(text(U(200), rowY, readGbkField(s.name)));
        page.add(text(U(280), rowY, numberText("%.3f", s.weight_mg)));
        page.add(text(U(340), rowY, printfText("%d", s.peak_area)));
        page.add(text(U(440), rowY, numberText("%.3f", s.surface_area)));
        page.add(text(U(520), rowY, readGbkField(s.sending_company)));
        page.add(text(U(660), rowY, printfText("%4d-%2d-%2d", s.measured_year, s.measured_month, s.measured_day)));
        ++k;
    }
    return page;
}

DrawList reportPage(const SurfaceReportRecord& record, const PoreTable* pores, int32_t width, int32_t height) {
    if (pores != nullptr && isPoreReport(record)) {
        const auto rows = static_cast<int32_t>(poreDistribution(record, *pores).size());
        return porePage(record, *pores, double(width) / kPorePageWidth, double(height) / porePageHeight(rows));
    }
    return BetPage(record, double(width) / kBetPageWidth, double(height) / kBetPageHeight);
}

DrawList printedPage(const RecordDatabase& database, const PrintPage& page, int32_t width, int32_t height,
                     const std::string& header, const CalendarDate& today, const PoreTable* pores) {
    if (page.kind == PrintKind::Reports) return reportPage(database.reports().records[page.first], pores, width, height);
    return samplePage(database.samples(), page.first, page.end, width, height, header, today);
}

}  // namespace vespian

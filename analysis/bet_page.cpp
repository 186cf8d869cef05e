#include "analysis/bet_page.h"

#include <cmath>
#include <string>

#include "analysis/bet.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

constexpr DrawColour kPagePointColour = rgb(0, 130, 230);
constexpr DrawColour kPageLineColour = rgb(180, 0, 200);
constexpr DrawColour kDialogLineColour = rgb(0, 180, 180);
constexpr DrawColour kDialogPointColour = rgb(100, 0, 180);

int32_t trunc(double value) {
    if (!std::isfinite(value)) return 0;
    if (value > 1e9) return 1000000000;
    if (value < -1e9) return -1000000000;
    return static_cast<int32_t>(value);
}

// The largest finite, positive value among the points; 0 when there is none.
double largest(const float* values, int32_t n) {
    double best = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        if (std::isfinite(values[i]) && values[i] > best) best = values[i];
    }
    return best;
}

bool finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// The BET line's value at the largest P/Po, from the defining point b.
double lineEnd(const SurfaceReportRecord& r, double xEnd) {
    const int32_t b = r.pair_second >= 0 && r.pair_second < kBetMaxPoints ? r.pair_second : 0;
    return double(r.bet_y[b]) + double(r.slope) * (xEnd - double(r.rel_pressure[b]));
}

DrawText text(int32_t x, int32_t y, std::string content, int32_t size, HAlign h = HAlign::Left,
              VAlign v = VAlign::Top) {
    DrawText t;
    t.x = x;
    t.y = y;
    t.text = std::move(content);
    t.pixelSize = size;
    t.h = h;
    t.v = v;
    return t;
}

}  // namespace

DrawList BetPage(const SurfaceReportRecord& r, double sx, double sy) {
    DrawList page;
    auto X = [sx](double units) { return trunc(units * sx); };
    auto Y = [sy](double units) { return trunc(units * sy); };
    const int32_t font = std::max(1, trunc(13.0 * sx));
    page.add(DrawFill{{0, 0, X(kBetPageWidth), Y(kBetPageHeight)}, kWhite});

    // 1–2. The sample and the result.
    const double step = 15.0 * sx;
    const std::string left[4] = {printfText("样品编号：%d", r.number), "样品名称：" + readGbkField(r.name),
                                 "样品重量：" + numberText("%.1f", r.weight_mg) + " [mg]",
                                 "样品来源：" + readGbkField(r.sending_company)};
    const std::string right[4] = {"斜　　率：" + numberText("%f", r.slope), "截　　距：" + numberText("%f", r.intercept),
                                  "相关系数：" + numberText("%f", r.correlation),
                                  "BET比表面积：" + betAreaText(r) + " [m2/g]"};
    for (int k = 0; k < 4; ++k) {
        page.add(text(X(50), trunc(50 * sy + step * k), left[k], font));
        page.add(text(X(300), trunc(50 * sy + step * k), right[k], font));
    }

    // 3. Title and frame.
    page.add(text(X(350), Y(140), "BET绘图", font));
    const DrawBox frame{X(kBetPageFrame.left), Y(kBetPageFrame.top), X(kBetPageFrame.right), Y(kBetPageFrame.bottom)};
    page.add(DrawFrame{{frame.left, frame.top, frame.right + 1, frame.bottom + 1}, kBlack, std::max(1, trunc(sx))});

    // 4. Grid, ticks and the labels of the plotted scale: 1.1 × the largest point.
    const int32_t n = betPointCount(r);
    const double xScale = 1.1 * largest(r.rel_pressure, n);
    const double yScale = 1.1 * largest(r.bet_y, n);
    const bool scaled = xScale > 0.0 && yScale > 0.0;
    for (int p = 0; p <= 10; ++p) {
        const int32_t gx = trunc(130 * sx + 50 * sx * p);
        const int32_t gy = trunc(160 * sy + 40 * sy * p);
        if (p > 0 && p < 10) {
            page.add(DrawLine{{frame.left, gy}, {frame.right, gy}, kBlack, 1, true});
            page.add(DrawLine{{gx, frame.top}, {gx, frame.bottom}, kBlack, 1, true});
        }
        page.add(DrawLine{{gx, frame.bottom}, {gx, frame.bottom + Y(7)}, kBlack, 1});
        page.add(DrawLine{{frame.left - X(7), gy}, {frame.left, gy}, kBlack, 1});
        if (scaled) {
            page.add(text(gx, frame.bottom + Y(9), printfText("%.2f", xScale * p / 10.0), font, HAlign::Centre));
            page.add(text(frame.left - X(8), gy, printfText("%.4f", yScale * (10 - p) / 10.0), font, HAlign::Right,
                          VAlign::Centre));
        }
    }

    // 5–6. Points and the BET line.
    if (scaled) {
        for (int32_t i = 0; i < n; ++i) {
            if (!finite(r.rel_pressure[i], r.bet_y[i])) continue;
            DrawText dot = text(trunc(130 * sx + 500 * sx * r.rel_pressure[i] / xScale),
                                trunc(560 * sy - 400 * sy * r.bet_y[i] / yScale), "●", font, HAlign::Centre,
                                VAlign::Centre);
            dot.colour = kPagePointColour;
            dot.clip = frame;
            page.add(dot);
        }
        const double xEnd = xScale / 1.1;
        const double yEnd = lineEnd(r, xEnd);
        if (finite(r.slope, r.intercept) && std::isfinite(yEnd)) {
            page.add(DrawLine{{trunc(130 * sx + 500 * sx * xEnd / xScale), trunc(560 * sy - 400 * sy * yEnd / yScale)},
                              {frame.left, trunc(560 * sy - 400 * sy * r.intercept / yScale)},
                              kPageLineColour, std::max(1, trunc(sx)), false, frame});
        }
    }

    // 7. The axis title and the table of points.
    page.add(text(X(330), Y(600), "相对压力 P/Po", font));
    page.add(text(X(150), Y(670), "P/Po", font));
    page.add(text(X(300), Y(670), "体积 [ml/g]", font));
    page.add(text(X(450), Y(670), "1/(V((Po/P)-1))", font));
    for (int32_t i = 0; i < n; ++i) {
        const int32_t y = trunc(690 * sy + 14 * sy * i);
        page.add(text(X(135), y, numberText("%f", r.rel_pressure[i]), font));
        page.add(text(X(310), y, numberText("%f", r.volume[i]), font));
        page.add(text(X(470), y, numberText("%f", r.bet_y[i]), font));
    }

    // 8. The ordinate title, reading upwards.
    DrawText ordinate = text(X(30), Y(400), "1/(V((Po/P)-1))", font);
    ordinate.rotated = true;
    page.add(ordinate);
    return page;
}

// ---- Report dialog ------------------------------------------------------------------------

DrawList betReportArtwork() {
    DrawList art;
    art.add(DrawFill{{0, 0, kBetReportWidth, kBetReportHeight}, rgb(232, 236, 244)});
    // The plot's paper and frame.
    art.add(DrawFill{kBetReportPlot, kWhite});
    art.add(DrawFrame{kBetReportPlot, rgb(90, 90, 110), 1});
    for (int i = 1; i < 5; ++i) {
        const int32_t x = kBetReportPlot.left + 50 * i;
        const int32_t y = kBetReportPlot.top + 50 * i;
        art.add(DrawLine{{x, kBetReportPlot.top}, {x, kBetReportPlot.bottom - 1}, rgb(215, 220, 230), 1, true});
        art.add(DrawLine{{kBetReportPlot.left, y}, {kBetReportPlot.right - 1, y}, rgb(215, 220, 230), 1, true});
    }
    DrawText xTitle = text(205, 300, "相对压力 P/Po", 12, HAlign::Centre);
    xTitle.colour = rgb(40, 40, 80);
    art.add(xTitle);
    DrawText yTitle = text(3, 200, "1/(V((Po/P)-1))", 12);
    yTitle.rotated = true;
    yTitle.colour = rgb(40, 40, 80);
    art.add(yTitle);

    // The results group.
    const DrawBox results{350, 8, 610, 186};
    art.add(DrawFill{results, rgb(246, 248, 252)});
    art.add(DrawFrame{results, rgb(120, 130, 160), 1});
    DrawText heading = text(360, 44, "BET计算结果", 14);
    heading.colour = rgb(40, 40, 120);
    heading.face = FontFace::Hei;
    art.add(heading);
    const struct {
        int32_t y;
        const char* caption;
    } captions[] = {{20, "报告编号："}, {89, "斜    率："}, {112, "截    距："}, {135, "相关系数："}, {158, "比表面积："}};
    for (const auto& c : captions) art.add(text(436, c.y, c.caption, 13, HAlign::Right));

    // The sample group.
    const DrawBox sample{350, 188, 610, 288};
    art.add(DrawFrame{sample, rgb(120, 130, 160), 1});
    art.add(text(450, kBetReportWeightEdit.top + 4, "样品重量[mg]：", 13, HAlign::Right));
    art.add(text(450, kBetReportNameEdit.top + 4, "样品名称：", 13, HAlign::Right));
    art.add(text(450, kBetReportFirstPoint.top + 4, "计算取点：", 13, HAlign::Right));
    art.add(text(527, kBetReportFirstPoint.top + 4, "—", 13, HAlign::Centre));
    DrawText hint = text(20, 330, "改变样品重量或计算取点后结果自动重算", 12);
    hint.colour = rgb(90, 90, 110);
    art.add(hint);
    return art;
}

DrawList betReportValues(const SurfaceReportRecord& r, int32_t index) {
    DrawList values;
    values.add(text(440, 20, printfText("%d", index + 1), 13));
    values.add(text(440, 89, numberText("%f", r.slope), 13));
    values.add(text(440, 112, numberText("%f", r.intercept), 13));
    values.add(text(440, 135, numberText("%f", r.correlation), 13));
    values.add(text(440, 158, betAreaText(r, "%.2f m2/g"), 13));

    const int32_t n = betPointCount(r);
    const double xmax = 1.2 * largest(r.rel_pressure, n);
    const double ymax = 1.2 * largest(r.bet_y, n);
    if (n == 0 || !(xmax > 0.0) || !(ymax > 0.0)) return values;
    for (int i = 0; i <= 5; ++i) {
        values.add(text(65 + 50 * i, 277, printfText("%.3f", xmax * i / 5.0), 11));
        values.add(text(20, 262 - 50 * i, printfText("%.5f", ymax * i / 5.0), 11));
    }
    const double xEnd = xmax / 1.2;
    const double yEnd = lineEnd(r, xEnd);
    if (finite(r.slope, r.intercept) && std::isfinite(yEnd)) {
        values.add(DrawLine{{80, trunc(270 - 250 * r.intercept / ymax)},
                            {trunc(80 + 250 * xEnd / xmax), trunc(270 - 250 * yEnd / ymax)},
                            kDialogLineColour,
                            1,
                            false,
                            kBetReportPlot});
    }
    for (int32_t i = 0; i < n; ++i) {
        if (!finite(r.rel_pressure[i], r.bet_y[i])) continue;
        const int32_t cx = trunc(80 + 250 * r.rel_pressure[i] / xmax);
        const int32_t cy = trunc(270 - 250 * r.bet_y[i] / ymax);
        values.add(DrawFrame{{cx - 5, cy - 5, cx + 5, cy + 5}, kDialogPointColour, 1, kBetReportPlot});
    }
    return values;
}

}  // namespace vespian

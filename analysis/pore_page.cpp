#include "analysis/pore_page.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

constexpr DrawColour kCurveColour = rgb(180, 0, 200);
constexpr DrawColour kPointColour = rgb(0, 130, 230);
constexpr int32_t kTableTop = 520;
constexpr int32_t kRowStep = 14;
constexpr int32_t kTicks = 5;

int32_t trunc(double value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<int32_t>(std::clamp(value, -1e9, 1e9));
}

double finiteOr0(float v) { return std::isfinite(v) ? double(v) : 0.0; }

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

bool isPoreReport(const SurfaceReportRecord& r) {
    if (r.calib_count != 0 || r.calib_volume_ml != 0.0f || r.bet_area != 0.0f || r.slope != 0.0f ||
        r.intercept != 0.0f || r.correlation != 0.0f) {
        return false;
    }
    for (int32_t i = 0; i < kBetMaxPoints; ++i) {
        if (r.calib_area[i] != 0 || r.rel_pressure[i] != 0.0f || r.volume[i] != 0.0f) return false;
    }
    return true;
}

std::vector<PoreDistributionRow> poreDistribution(const SurfaceReportRecord& record, const PoreTable& table) {
    const int32_t n = std::min(std::clamp(record.point_count, 0, kPorePointCapacity), std::clamp(table.count, 0, kPorePointCapacity));
    std::vector<PoreDistributionRow> rows;
    rows.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        rows.push_back({i, table.relativePressure[i], table.poreSize[i], table.thickness[i], table.adsorbed[i],
                        table.distribution[i]});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const PoreDistributionRow& a, const PoreDistributionRow& b) {
        return finiteOr0(a.poreSize) < finiteOr0(b.poreSize);
    });
    return rows;
}

int32_t porePageHeight(int32_t rows) { return std::max(1000, kTableTop + kRowStep * (std::max(rows, 0) + 1) + 40); }

DrawList porePage(const SurfaceReportRecord& r, const PoreTable& table, double sx, double sy) {
    const std::vector<PoreDistributionRow> rows = poreDistribution(r, table);
    DrawList page;
    auto X = [sx](double units) { return trunc(units * sx); };
    auto Y = [sy](double units) { return trunc(units * sy); };
    const int32_t font = std::max(1, trunc(13.0 * std::min(sx, sy)));
    page.add(DrawFill{{0, 0, X(kPorePageWidth), Y(porePageHeight(static_cast<int32_t>(rows.size())))}, kWhite});

    // The sample, as on the BET page, and the report.
    const std::string left[4] = {printfText("样品编号：%d", r.number), "样品名称：" + readGbkField(r.name),
                                 "样品重量：" + numberText("%.1f", r.weight_mg) + " [mg]",
                                 "样品来源：" + readGbkField(r.sending_company)};
    const std::string right[2] = {printfText("测量日期：%d年%d月%d日", r.measured_year, r.measured_month, r.measured_day),
                                  printfText("孔径点数：%d", static_cast<int>(rows.size()))};
    for (int k = 0; k < 4; ++k) page.add(text(X(50), trunc(50 * sy + 15 * sy * k), left[k], font));
    for (int k = 0; k < 2; ++k) page.add(text(X(300), trunc(50 * sy + 15 * sy * k), right[k], font));

    // The plot: dV/dr against the pore size, both from 0 to a tenth above the largest value.
    page.add(text(X(350), Y(140), "孔径分布", font, HAlign::Centre));
    const DrawBox f{X(kPorePageFrame.left), Y(kPorePageFrame.top), X(kPorePageFrame.right), Y(kPorePageFrame.bottom)};
    page.add(DrawFrame{{f.left, f.top, f.right + 1, f.bottom + 1}, kBlack, std::max(1, trunc(sx))});
    double xMax = 0.0, yMax = 0.0;
    for (const PoreDistributionRow& row : rows) {
        xMax = std::max(xMax, finiteOr0(row.poreSize));
        yMax = std::max(yMax, finiteOr0(row.distribution));
    }
    xMax = xMax > 0.0 ? xMax * 1.1 : 1.0;
    yMax = yMax > 0.0 ? yMax * 1.1 : 1.0;
    for (int p = 0; p <= kTicks; ++p) {
        const int32_t x = X(kPorePageFrame.left + 100.0 * p);
        const int32_t y = Y(kPorePageFrame.bottom - 60.0 * p);
        page.add(DrawLine{{x, f.bottom}, {x, f.bottom + Y(7)}, kBlack});
        page.add(DrawLine{{f.left - X(7), y}, {f.left, y}, kBlack});
        page.add(text(x, f.bottom + Y(9), numberText("%.1f", xMax * p / kTicks), font, HAlign::Centre));
        page.add(text(f.left - X(9), y, numberText("%.4f", yMax * p / kTicks), font, HAlign::Right, VAlign::Centre));
    }
    page.add(text(X(380), Y(490), "孔径 [Å]", font, HAlign::Centre));
    DrawText ordinate = text(X(40), Y(310), "dV/dr [ml/Å]", font, HAlign::Centre, VAlign::Centre);
    ordinate.rotated = true;
    page.add(ordinate);
    DrawPolyline curve;
    curve.colour = kCurveColour;
    curve.clip = {f.left, f.top, f.right + 1, f.bottom + 1};
    for (const PoreDistributionRow& row : rows) {
        const DrawPoint at{trunc(f.left + (f.right - f.left) * finiteOr0(row.poreSize) / xMax),
                           trunc(f.bottom - (f.bottom - f.top) * finiteOr0(row.distribution) / yMax)};
        curve.points.push_back(at);
        const int32_t d = std::max(2, X(3));
        page.add(DrawFill{{at.x - d, at.y - d, at.x + d + 1, at.y + d + 1}, kPointColour});
    }
    if (curve.points.size() >= 2) page.add(std::move(curve));

    // The table, one row a point.
    const int32_t columns[6] = {50, 110, 210, 310, 420, 530};
    const char* heads[6] = {"序号", "P/Po", "孔径[Å]", "吸附层厚度[Å]", "吸附量[ml]", "dV/dr[ml/Å]"};
    for (int c = 0; c < 6; ++c) page.add(text(X(columns[c]), Y(kTableTop), heads[c], font));
    page.add(DrawLine{{X(45), Y(kTableTop + 16)}, {X(660), Y(kTableTop + 16)}, kBlack});
    for (size_t i = 0; i < rows.size(); ++i) {
        const PoreDistributionRow& row = rows[i];
        const int32_t y = Y(kTableTop + kRowStep * (static_cast<double>(i) + 1) + 6);
        const std::string cells[6] = {printfText("%d", row.point + 1), numberText("%.6f", row.relativePressure),
                                      numberText("%.1f", row.poreSize), numberText("%.2f", row.thickness),
                                      numberText("%.4f", row.adsorbed), numberText("%.6f", row.distribution)};
        for (int c = 0; c < 6; ++c) page.add(text(X(columns[c]), y, cells[c], font));
    }
    if (rows.empty()) page.add(text(X(50), Y(kTableTop + 22), "没有孔径数据点", font));
    return page;
}

}  // namespace vespian

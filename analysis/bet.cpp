#include "analysis/bet.h"

#include <cmath>
#include <limits>

#include "files/record_database.h"
#include "platform/decimal_text.h"
#include "platform/printf_text.h"
#include "trace/peak_table.h"

namespace vespian {

namespace {

// The constants of the surface-area formula: standard temperature and pressure (the pressure
// as the program has always stored it, a float32), mg per g, and m² per ml of N2 at standard
// conditions (the N2 cross-section times Avogadro's number over the molar volume).
constexpr double kStandardKelvin = 273.0;
constexpr double kStandardPressureKpa = static_cast<double>(101.3f);
constexpr double kMgPerG = 1000.0;
constexpr double kSquareMetresPerMl = static_cast<double>(4.36f);

// Rounds to float32; values beyond its range become ±∞ rather than undefined.
float toFloat(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

bool pairUsable(int32_t a, int32_t b, int32_t n) { return a >= 0 && a < n && b >= 0 && b < n; }

void lineThrough(SurfaceReportRecord& r, int32_t a, int32_t b) {
    const double slope = (double(r.bet_y[b]) - r.bet_y[a]) / (double(r.rel_pressure[b]) - r.rel_pressure[a]);
    r.slope = toFloat(slope);
    r.intercept = toFloat(double(r.bet_y[a]) - double(r.rel_pressure[a]) * r.slope);
}

std::string fixed2(double value) { return numberText("%.2f", value); }

}  // namespace

int32_t betPointCount(const SurfaceReportRecord& record) {
    if (record.point_count < 0) return 0;
    return record.point_count > kBetMaxPoints ? kBetMaxPoints : record.point_count;
}

double measuredVolumeMl(int32_t peakArea, float calibVolumeMl, int32_t calibArea) {
    const double perArea = double(calibVolumeMl) / double(calibArea);
    return double(peakArea) * perArea;
}

void ComputeBet(SurfaceReportRecord& r, BetRawVolumes& raw, bool initial) {
    const int32_t n = betPointCount(r);
    for (int32_t i = 0; i < n; ++i) {
        if (initial) raw.volume[i] = r.volume[i];
        r.volume[i] = raw.volume[i];
    }
    const double temperature = r.n2_temp_c;
    const double pressure = r.ads_pressure_kpa;
    const double p0 = r.p0_kpa;
    const double weight = r.weight_mg;
    for (int32_t i = 0; i < n; ++i) {
        // ml measured at the loop temperature and the mixture's pressure → ml/g at 273 K and
        // 101.3 kPa, evaluated left to right.
        const double v = double(r.volume[i]) / (temperature + kStandardKelvin) * kStandardKelvin /
                         kStandardPressureKpa * pressure / (weight / kMgPerG);
        r.volume[i] = toFloat(v);
        const double x = double(r.n2_flow[i]) / (double(r.n2_flow[i]) + double(r.he_flow[i]));  // N2 fraction
        r.rel_pressure[i] = betRelativePressure(r, i);
        r.bet_y[i] = toFloat(1.0 / ((p0 / (x * pressure) - 1.0) * double(r.volume[i])));
    }
    if (n == 0) return;
    if (n == 1) {
        r.slope = toFloat(double(r.bet_y[0]) / double(r.rel_pressure[0]));
        r.intercept = 0.0f;
        r.correlation = 1.0f;
        r.pair_first = 0;
        r.pair_second = 0;
    } else if (n == 2) {
        r.pair_first = 0;
        r.pair_second = 1;
        lineThrough(r, 0, 1);
        r.correlation = 1.0f;
    } else {
        // A pair read from a file may lie outside the points: the middle pair then.
        if (initial || !pairUsable(r.pair_first, r.pair_second, n)) {
            r.pair_first = n / 2 - 1;
            r.pair_second = r.pair_first + 1;
        }
        lineThrough(r, r.pair_first, r.pair_second);
        BetCorrelation(r);
    }
    // 1 / (slope + intercept) is the monolayer volume in ml/g.
    r.bet_area = toFloat(1.0 / (double(r.slope) + double(r.intercept)) * kSquareMetresPerMl);
}

void BetCorrelation(SurfaceReportRecord& r) {
    const int32_t n = betPointCount(r);
    if (n == 0) return;
    double mx = 0.0, my = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        mx += r.rel_pressure[i];
        my += r.bet_y[i];
    }
    mx /= n;
    my /= n;
    double sxy = 0.0, sxx = 0.0, syy = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        const double dx = double(r.rel_pressure[i]) - mx;
        const double dy = double(r.bet_y[i]) - my;
        sxy += dx * dy;
        sxx += dx * dx;
        syy += dy * dy;
    }
    r.correlation = toFloat(sxy / (std::sqrt(sxx) * std::sqrt(syy)));
}

// ---- Accepting a peak ---------------------------------------------------------------------

BetPeakDecision acceptBetPeak(const ReportTable& reports) {
    if (reports.count < 0 || reports.count >= kReportCapacity) {
        return {false, {"错误", kDatabaseFullText, PromptIcon::Error}};
    }
    const SurfaceReportRecord& r = reports.records[reports.count];
    if (r.point_count >= kBetMaxPoints) return {false, {"提示", kBetPointsFullText, PromptIcon::Information}};
    if (r.calib_count <= r.point_count || r.point_count < 0 || r.calib_area[r.point_count] == 0) {
        return {false, {"提示", kCalibrateFirstText, PromptIcon::Information}};
    }
    return {true, {}};
}

// ---- Point dialog -------------------------------------------------------------------------

BetPointTexts beginBetPoint(ReportTable& reports, int32_t peakArea) {
    BetPointTexts texts;
    const BetPeakDecision decision = acceptBetPeak(reports);
    if (!decision.openPointDialog) {  // the display tick's hand-over has said so already
        texts.canContinue = false;
        texts.refusal = decision.message;
        return texts;
    }
    SurfaceReportRecord& r = reports.records[reports.count];
    const int32_t k = r.point_count < 0 ? 0 : r.point_count;
    texts.number = printfText("%d", reports.count + 1);
    texts.opened = true;
    r.peak_area[k] = peakArea;
    r.volume[k] = toFloat(measuredVolumeMl(peakArea, r.calib_volume_ml, r.calib_area[k]));
    texts.peakArea = printfText("%d", peakArea);
    texts.volume = fixed2(r.volume[k]);
    texts.n2Flow = fixed2(r.n2_flow[k]);
    texts.heFlow = fixed2(r.he_flow[k]);
    texts.p0 = fixed2(r.p0_kpa);
    texts.n2Temperature = fixed2(r.n2_temp_c);
    texts.adsorptionPressure = fixed2(r.ads_pressure_kpa);
    texts.canContinue = k + 1 < kBetMaxPoints;
    return texts;
}

float betRelativePressure(const SurfaceReportRecord& r, int32_t k) {
    const double x = double(r.n2_flow[k]) / (double(r.n2_flow[k]) + double(r.he_flow[k]));  // N2 fraction
    return toFloat(x * double(r.ads_pressure_kpa) / double(r.p0_kpa));
}

bool closeBetPoint(ReportTable& reports, PeakTable& peaks, BetPointClose how) {
    peaks.clear();
    if (how == BetPointClose::Cancel || reports.count < 0 || reports.count >= kReportCapacity) return false;
    SurfaceReportRecord& r = reports.records[reports.count];
    if (r.point_count < kBetMaxPoints) r.point_count += 1;
    return how == BetPointClose::Finish;
}

// ---- Report dialog ------------------------------------------------------------------------

bool BetReportSession::open(const SampleIdentity& sample) {
    if (reports_.count < 0 || reports_.count >= kReportCapacity) return false;
    index_ = reports_.count;
    slot().weight_mg = sample.weightMg;
    ComputeBet(slot(), raw_, true);
    copyGbkBytes(slot().name, sample.name);
    lastWeight_ = slot().weight_mg;
    return true;
}

std::string BetReportSession::weightText() const { return printfText("%.1f", double(record().weight_mg)); }

std::string BetReportSession::nameText() const { return readGbkField(record().name); }

bool BetReportSession::pairsEnabled() const { return betPointCount(record()) >= 3; }

std::vector<std::string> BetReportSession::pairChoices() const {
    std::vector<std::string> choices;
    for (int32_t i = 1; i <= betPointCount(record()); ++i) choices.push_back(printfText("%d", i));
    return choices;
}

bool BetReportSession::weightEdited(std::string_view text) {
    slot().weight_mg = static_cast<float>(ParseDecimalText(text));
    if (slot().weight_mg == lastWeight_) return false;
    lastWeight_ = slot().weight_mg;
    ComputeBet(slot(), raw_, false);
    return true;
}

void BetReportSession::nameEdited(std::string_view utf8) { writeGbkField(slot().name, utf8); }

void BetReportSession::pairChosen(int32_t first, int32_t second) {
    slot().pair_first = first;
    slot().pair_second = second;
    ComputeBet(slot(), raw_, false);
}

BetCommitResult BetReportSession::commit(const SampleIdentity& sample, BetCalibrationDefaults& defaults,
                                         const CalendarDate& today) {
    if (reports_.count != index_ || index_ >= kReportCapacity) {
        return {false, {"错误", kDatabaseFullText, PromptIcon::Error}};
    }
    SurfaceReportRecord& r = slot();
    if (!(r.weight_mg > 0.0f) || !std::isfinite(r.weight_mg)) return {false, {"提示", kSampleWeightText, PromptIcon::Error}};
    ComputeBet(r, raw_, false);
    lastWeight_ = r.weight_mg;
    copyGbkBytes(r.sending_company, sample.sendingCompany);
    copyGbkBytes(r.reviewer, sample.reviewer);
    copyGbkBytes(r.sender, sample.sender);
    copyGbkBytes(r.measuring_company, sample.measuringCompany);
    copyGbkBytes(r.measurer, sample.measurer);
    r.sample_year = sample.sampleDate[0];
    r.sample_month = sample.sampleDate[1];
    r.sample_day = sample.sampleDate[2];
    r.measured_year = today.year;
    r.measured_month = today.month;
    r.measured_day = today.day;
    r.in_use = 1;
    r.selected = 0;
    r.number = index_ + 1;
    defaults.loopVolumeMl = r.calib_volume_ml;
    defaults.n2TemperatureC = r.n2_temp_c;
    defaults.adsorptionPressureKpa = r.ads_pressure_kpa;
    defaults.saturatedPressureKpa = r.p0_kpa;
    reports_.count += 1;
    return {true, {}};
}

void BetReportSession::abandon() { slot().point_count = 0; }

std::string betAreaText(const SurfaceReportRecord& record, const char* pattern) {
    return numberText(pattern, record.bet_area);
}

}  // namespace vespian

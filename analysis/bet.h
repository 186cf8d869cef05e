#pragma once
// Multi-point BET: each adsorption peak becomes a gas volume by proportion to a calibration
// peak of known loop volume; the volumes are normalised to ml/g at 273 K and 101.3 kPa and the
// BET line 1/(V(Po/P − 1)) against P/Po gives the specific surface area.
//
// The record under construction is the report table's slot at index count (files/
// record_database.h). This file holds the arithmetic (ComputeBet, BetCorrelation), the rule
// that accepts a peak as a BET point, the point dialog's and the report dialog's rules. The
// calibration that precedes each point is trace/calibration.h.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/sample_identity.h"
#include "files/record_database_layout.h"
#include "platform/prompts.h"

namespace vespian {

struct PeakTable;


// The measured volumes (ml) of the record being reported, so ComputeBet can start again from
// them when the operator changes the weight or the point pair.
struct BetRawVolumes {
    float volume[kBetMaxPoints] = {};
};

// The committed points of a record, 0..10 (a pore report may carry a larger point count).
int32_t betPointCount(const SurfaceReportRecord& record);

// Measured volume (ml) of a peak: area × (loop volume / calibration area), the quotient first.
double measuredVolumeMl(int32_t peakArea, float calibVolumeMl, int32_t calibArea);

// Recomputes the BET quantities in double precision, each stored result rounded to float32.
// initial: keep the measured volumes in `raw` and choose the default point pair; otherwise
// start again from `raw` with the stored pair.
void ComputeBet(SurfaceReportRecord& record, BetRawVolumes& raw, bool initial);

// The correlation coefficient of all points (P/Po against 1/(V(Po/P − 1))).
void BetCorrelation(SurfaceReportRecord& record);

// ---- Accepting a peak ---------------------------------------------------------------------

inline constexpr char kBetPointsFullText[] = "本次BET测定已有10个测量点,请生成报告!";
inline constexpr char kCalibrateFirstText[] = "请先标定吸附量！！！";
inline constexpr char kSampleWeightText[] = "请输入一个正确的样品重量!";

// What a finished peak in the BET method's measuring mode does: nothing beyond a message, or
// the point dialog (no message). A point needs its own calibration peak: counting calibrations
// is not enough, for one point calibrated twice would let the next through with none.
struct BetPeakDecision {
    bool openPointDialog = false;
    PromptMessage message;
};
BetPeakDecision acceptBetPeak(const ReportTable& reports);

// ---- Point dialog "多点BET取点设定" ---------------------------------------------------------

struct BetPointTexts {
    std::string number;       // 1014: record number
    std::string peakArea;     // 1007
    std::string volume;       // 1008
    std::string n2Flow;       // 1009
    std::string heFlow;       // 1010
    std::string p0;           // 1011
    std::string n2Temperature;       // 1012
    std::string adsorptionPressure;  // 1013
    bool canContinue = true;  // "继续>>": false for the tenth point, which must be "完成"
    bool opened = false;      // false: the record cannot take the point, `refusal` says why
    PromptMessage refusal;
};

// Opening: peak_area[k] and volume[k] of point k = point_count are set from the first peak of
// the table; returns the texts to show. The display tick's hand-over has asked acceptBetPeak
// before it opens the dialog; a record that refuses the point is left as it is.
BetPointTexts beginBetPoint(ReportTable& reports, int32_t peakArea);

enum class BetPointClose { Continue, Finish, Cancel };

// P/Po of point k from its N2 and He flows, the mixture's pressure and Po.
float betRelativePressure(const SurfaceReportRecord& r, int32_t k);

// Every way of closing empties the peak table; "继续>>" and "完成" commit the point. True
// when the report dialog opens next ("完成").
bool closeBetPoint(ReportTable& reports, PeakTable& peaks, BetPointClose how);

// ---- Report dialog "生成报告" ---------------------------------------------------------------

struct BetCommitResult {
    bool committed = false;
    PromptMessage message;  // the full-table message when not committed
};

class BetReportSession {
public:
    BetReportSession(ReportTable& reports, BetRawVolumes& raw) : reports_(reports), raw_(raw) {}

    // Opening: weight and name from the sample data, ComputeBet with the default pair.
    // False when there is no record under construction (the table is full).
    bool open(const SampleIdentity& sample);

    int32_t index() const { return index_; }
    const SurfaceReportRecord& record() const { return reports_.records[index_]; }

    std::string weightText() const;  // "%.1f"
    std::string nameText() const;    // UTF-8
    bool pairsEnabled() const;       // three points or more
    std::vector<std::string> pairChoices() const;  // "1" … "n"
    int32_t pairFirst() const { return record().pair_first; }
    int32_t pairSecond() const { return record().pair_second; }

    // The weight field changed; true when the values were recomputed (repaint).
    bool weightEdited(std::string_view text);
    // The name field changed (at most 19 bytes are kept).
    void nameEdited(std::string_view utf8);
    // Either point list changed; recomputes.
    void pairChosen(int32_t first, int32_t second);

    // "生成报告": the sample's companies and people, its sample date, today as the measurement
    // date, in use, number = index + 1, the calibration values become the defaults, count + 1.
    // The results are computed once more for the weight that is stored with them; a weight that
    // is not above 0 (a cleared field) commits nothing.
    BetCommitResult commit(const SampleIdentity& sample, BetCalibrationDefaults& defaults, const CalendarDate& today);
    // "放弃" (and the close box): the points are dropped, the calibrations stay.
    void abandon();

private:
    SurfaceReportRecord& slot() { return reports_.records[index_]; }

    ReportTable& reports_;
    BetRawVolumes& raw_;
    int32_t index_ = 0;
    float lastWeight_ = 0.0f;  // the weight the shown results were computed for
};

// The texts of a record's summary values, "—" for values without a finite result.
std::string betAreaText(const SurfaceReportRecord& record, const char* pattern = "%.3f");

}  // namespace vespian

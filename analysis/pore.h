#pragma once
// The pore-size analysis: a table of up to 200 pore points (one per measured relative
// pressure), its distribution computed with the numeric library (libs/zt_math.h), the pore
// report committed into the report table beside the BET reports, the point dialog
// "孔径数据属性", the point deletions, and the thumbnails of the points.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/sample_identity.h"
#include "files/record_database_layout.h"
#include "libs/zt_math.h"
#include "platform/draw_list.h"
#include "platform/prompts.h"
#include "trace/peak_table.h"

namespace vespian {

inline constexpr int32_t kPorePointCapacity = ztmath::kPoreTableSize;
inline constexpr int32_t kPoreTraceSize = 2000;  // element 0 = stored count

struct PoreTable {
    int32_t count;
    int32_t current;          // 0-based
    int32_t deadVolumeCount;  // the dead-volume records of the same group
    float poreSize[kPorePointCapacity];           // Å
    float thickness[kPorePointCapacity];          // adsorbed layer t, computed
    float saturatedPressure[kPorePointCapacity];
    float relativePressure[kPorePointCapacity];   // P/Po
    float n2Flow[kPorePointCapacity];
    float mixedFlow[kPorePointCapacity];
    float distribution[kPorePointCapacity];       // filled by _U_mlg
    float atmosphericPressure[kPorePointCapacity];
    float weight[kPorePointCapacity];             // mg
    float adsorbed[kPorePointCapacity];           // ml
    int32_t peakArea[kPorePointCapacity];
    int32_t trace[kPorePointCapacity][kPoreTraceSize];
};

// A measured BET point kept as a pore point as well: its pressures, flows and adsorbed volume
// from point `point` of the record under construction, the sample's weight, and the peak's
// area and picture (its points from the peak's start, relative to the first, scaled so the
// largest is 400: the thumbnail shows it 64 pixels high). The pore size is
// the Kelvin radius of its relative pressure. False (nothing kept) when the table is full or
// the point does not exist.
bool appendPorePoint(PoreTable& table, const SurfaceReportRecord& record, int32_t point, const PeakRecord& peak,
                     float weightMg);

// "新建" and "删除所有记录": no points (and, for "新建", no dead volumes).
void clearPorePoints(PoreTable& table);
void clearDeadVolumes(PoreTable& table);

// "删除选中记录": the current point leaves, the later ones move down.
void deleteCurrentPorePoint(PoreTable& table);

inline constexpr char kDeletePorePointQuestion[] = "你真的要删除这一个条记录吗?";
inline constexpr char kDeleteAllPorePointsQuestion[] = "你真的要删除所有孔径记录吗?";
inline constexpr char kDeletePoreCaption[] = "删除";

class Prompts;
// The pop-up commands with their questions (caption "删除", Yes/No): true when points went.
bool deleteCurrentPorePointAsked(Prompts& prompts, PoreTable& table);
bool deleteAllPorePointsAsked(Prompts& prompts, PoreTable& table);

// Layer thickness of each point from its relative pressure, then its distribution value.
void computePoreDistribution(PoreTable& table);

// "生成孔径分布报告": the message instead of the dialog when the report table is full.
std::optional<PromptMessage> poreReportRefusal(const ReportTable& reports);

struct PoreReportResult {
    bool created = false;
    int32_t index = -1;
    PromptMessage message;  // "孔径报告已生成,其编号为：%d." or the full-table message
};

// The dialog's "确定": a report of the current pore points in the slot at index count. A BET
// measurement in progress in that slot moves on to the next slot, so it is neither lost nor
// mixed into the pore report.
PoreReportResult createPoreReport(ReportTable& reports, PoreTable& table, std::string_view numberText,
                                  std::string_view name, const SampleIdentity& sample, const CalendarDate& today);

// ---- Point dialog "孔径数据属性" ------------------------------------------------------------

struct PorePointTexts {
    std::string atmosphericPressure;  // "%.2f"
    std::string saturatedPressure;
    std::string n2Flow;
    std::string mixedFlow;
    std::string weight;
    std::string peakArea;          // integer
    std::string relativePressure;  // "%.6f"
    std::string poreSize;          // "%.1f"
    std::string adsorbed;          // "%.4f"
    std::string kelvinPoreSize;    // _r of the relative pressure, "%.6f"
};
PorePointTexts porePointTexts(const PoreTable& table, int32_t index);

// "确定": weight, relative pressure and pore size back into the point, each only when its text
// differs from the one porePointTexts gave (the dialog shows them read-only, so normally none).
void acceptPorePoint(PoreTable& table, int32_t index, std::string_view weight, std::string_view relativePressure,
                     std::string_view poreSize);

// ---- Thumbnails ---------------------------------------------------------------------------

inline constexpr int32_t kPoreThumbnailSize = 102;
inline constexpr int32_t kPoreThumbnailPitch = 110;

// One 102 × 102 thumbnail (drawn over the list background by the caller).
DrawList poreThumbnail(const PoreTable& table, int32_t index);

// The point under a click at (x, y) of a grid `width` pixels wide scrolled by `scroll`
// pixels; −1 when there is none.
int32_t porePointAt(const PoreTable& table, int32_t x, int32_t y, int32_t width, int32_t scroll);

}  // namespace vespian

#pragma once
// The comparison (standard-sample) method's records: selection in the three record lists,
// the sample details dialog "详细信息", and storing a recognised peak as a standard of known
// surface area or as a sample measured against a chosen standard, with the single-point
// comparison rule
//
//   surface area = standard area × (sample peak area / standard peak area)
//                                 × (standard weight / sample weight).
//
// (The thermal-conductivity peak area is proportional to the gas a sample takes up, which is
// proportional to its total surface: weight × specific area.)

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/sample_identity.h"
#include "files/record_database.h"
#include "platform/draw_list.h"
#include "platform/prompts.h"

namespace vespian {

struct PeakRecord;

// ---- Selection --------------------------------------------------------------------------

// The record under a click at y in a list area whose top and bottom are given (rows of 20
// pixels from 27 pixels below the top); −1 above the rows or below the area.
int32_t listRowAt(int32_t y, int32_t top, int32_t bottom, int32_t firstRow);

// A click on a row: a record in use changes its selection (any non-zero value counts as
// selected and becomes 0; 0 becomes 1). True when it changed.
template <typename Table>
bool ToggleRow(Table& table, int32_t row) {
    if (row < 0 || row >= table.count || row >= Table::kCapacity) return false;
    auto& r = table.records[row];
    if (r.in_use == 0) return false;
    r.selected = r.selected == 0 ? 1 : 0;
    return true;
}

template <typename Table>
void SelectAll(Table& table) {
    for (int32_t i = 0; i < table.count && i < Table::kCapacity; ++i) {
        if (table.records[i].in_use != 0) table.records[i].selected = -1;
    }
}

template <typename Table>
void ClearSelection(Table& table) {
    for (int32_t i = 0; i < table.count && i < Table::kCapacity; ++i) {
        if (table.records[i].in_use != 0) table.records[i].selected = 0;
    }
}

template <typename Table>
void InvertSelection(Table& table) {
    for (int32_t i = 0; i < table.count && i < Table::kCapacity; ++i) {
        auto& r = table.records[i];
        if (r.in_use != 0) r.selected = r.selected != 0 ? 0 : -1;
    }
}

enum class SelectionCommand { SelectAll, Invert, Clear };

// The pop-up commands on the active list; on the report list only while it shows its rows
// (not a BET page). True when the list must be redrawn.
bool applySelection(RecordDatabase& database, RecordList list, SelectionCommand command, bool betPageShown);
// A row click on the active list.
bool toggleListRow(RecordDatabase& database, RecordList list, int32_t row);

// ---- Details dialog "详细信息" ------------------------------------------------------------

// Walks through the selected samples in use: the first on opening, then "下一个>>" and
// "<<上一个".
class SampleDetails {
public:
    explicit SampleDetails(SampleTable& samples);

    int32_t current() const { return current_; }  // −1: none
    bool canGoBack() const { return back_; }
    bool canGoForward() const { return forward_; }
    void next();
    void previous();

    std::string numberText() const;  // 1006
    std::string nameText() const;    // 1007, UTF-8
    std::string detailText() const;  // 1008, lines ending in CR LF
    // The trace picture's polyline, in the 320 × 300 picture: the stored peak scaled to fill
    // its shown 320 × 220 part (rows 20 to 200).
    std::vector<DrawPoint> tracePolyline() const;

    // "确定": number and name (at most 14 bytes) from the fields into the shown sample.
    void accept(std::string_view numberText, std::string_view name);

private:
    int32_t nextSelected(int32_t from, int32_t step) const;
    void show(int32_t index);

    SampleTable& samples_;
    int32_t current_ = -1;
    bool back_ = false;
    bool forward_ = false;
};

inline constexpr int32_t kDetailsPictureWidth = 320;
inline constexpr int32_t kDetailsPictureHeight = 300;
inline constexpr int32_t kDetailsPictureTop = 20;   // the highest value
inline constexpr int32_t kDetailsPictureBase = 200;  // the lowest value

// ---- Storing a recognised peak ----------------------------------------------------------

// Single-point comparison; no value when a weight or the standard's peak area is not
// positive, or the result is not finite.
std::optional<double> comparisonSurfaceArea(double standardArea, int32_t standardPeakArea, double standardWeightMg,
                                            int32_t samplePeakArea, double sampleWeightMg);

enum class StoreKind { Standard, Sample };

// What the operator entered in the store dialog, as typed.
struct StoreEntries {
    StoreKind kind = StoreKind::Sample;
    std::string number;
    std::string name;         // UTF-8, at most 19 bytes kept
    std::string weight;       // mg
    std::string surfaceArea;  // m2/g, standards only
    int32_t standardIndex = -1;  // samples: the standard they are measured against
};

struct StoreResult {
    bool stored = false;
    int32_t index = -1;       // the new record's place in its table
    PromptMessage message;    // the refusal, or the confirmation
};

// The standards a sample can be measured against: in use, positive weight and peak area.
struct StandardChoice {
    int32_t index = 0;
    std::string label;  // "编号 名称 (表面积 m2/g)"
};
std::vector<StandardChoice> standardChoices(const StandardTable& standards);

// The surface area the entries would give (samples), "—" when there is none yet.
std::string previewSurfaceArea(const RecordDatabase& database, const StoreEntries& entries, int32_t peakArea);

// Stores the peak as a new standard or sample (in use, not selected, measured today; a
// sample takes the companies, people and sample date of the sample data). Refused with a
// message when a field is not usable or the table is full.
StoreResult storeRecognisedPeak(RecordDatabase& database, const PeakRecord& peak, const StoreEntries& entries,
                                const SampleIdentity& sample, const CalendarDate& today);

}  // namespace vespian

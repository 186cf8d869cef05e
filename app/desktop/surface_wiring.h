#pragma once
// The surface-area windows in the running program: a peak recognised while calibrating opens
// "标定吸附量", one recognised while measuring with the BET method opens "多点BET取点设定", whose
// "完成" leads to "生成报告"; a peak of the quantitative-peak window can be kept as a standard or
// a comparison sample ("存为标样" / "存为样品").

#include <QImage>
#include <functional>

#include "analysis/bet.h"
#include "analysis/comparison.h"

namespace vespian {

class MainWindow;
class Prompts;
struct ProgramState;
struct PeakRecord;
struct PoreTable;

// The small picture of a recognised peak (its stored points, every tenth signal value), as the
// calibration and point dialogs show it in their "谱图" group.
QImage recognisedPeakPicture(const PeakRecord& peak, int width = 384, int height = 259);

// Today's local date.
CalendarDate localToday();

class SurfaceWiring {
public:
    // Registers the openers of the calibration dialog (1684) and the BET point dialog (1685).
    SurfaceWiring(MainWindow& window, ProgramState& state, Prompts& prompts);

    // While one of the two dialogs is open the recogniser keeps further peaks in the table:
    // the peak hand-over passes this as its `peakDialogOpen`.
    bool peakDialogOpen() const { return dialogOpen_; }
    // Told when one of the two dialogs opens (true) and closes (false), for a hand-over that
    // keeps its own flag.
    void setDialogOpenListener(std::function<void(bool open)> listener) { openListener_ = std::move(listener); }
    void openCalibration();
    void openBetPoint();

    // "存为标样" / "存为样品" for the peak of the quantitative-peak window.
    StoreResult openComparisonStore(const PeakRecord& peak);

    // Each measured BET point is kept in this pore point table as well (none: not kept).
    void setPoreTable(PoreTable* pores) { pores_ = pores; }

    // Called after a window changed the record tables (the lists are redrawn).
    void setTablesChanged(std::function<void()> changed) { tablesChanged_ = std::move(changed); }

private:
    void changed();
    void setOpen(bool open);

    MainWindow& window_;
    ProgramState& state_;
    Prompts& prompts_;
    BetRawVolumes raw_;
    bool dialogOpen_ = false;
    PoreTable* pores_ = nullptr;
    std::function<void()> tablesChanged_;
    std::function<void(bool)> openListener_;
};

}  // namespace vespian

#pragma once
// The programme preview inside "程序升温设定": the planned furnace temperature against time, the
// total duration and the expected end as a clock time, and while the programme runs the live
// furnace temperature drawn over the plan with the segment that should be running now. The
// numbers come from control/programme_preview.h; this only draws them.

#include <QWidget>

#include "control/programme_preview.h"

namespace vespian {

struct ControlContext;

class ProgrammePreviewView : public QWidget {
    Q_OBJECT

public:
    ProgrammePreviewView(ControlContext& context, QWidget* parent = nullptr);

    // Takes the programme, the clock and the trace as they are now and repaints.
    void refresh();

    // What the text lines say, for tests.
    QString summaryText() const { return summary_; }
    QString positionText() const { return position_; }
    const ProgrammePlan& plan() const { return plan_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ControlContext& context_;
    ProgrammePlan plan_;
    PreviewAxes axes_;
    std::vector<LiveSample> live_;
    double elapsedS_ = 0.0;
    bool running_ = false;
    bool finished_ = false;
    PlanPosition planPosition_{};
    QString summary_;
    QString position_;
};

}  // namespace vespian

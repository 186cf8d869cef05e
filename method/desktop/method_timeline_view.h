#pragma once
// The method editor's preview: the planned furnace temperature over the run, the gas on each
// channel below it as coloured bands, the selected step shaded, the total duration and the
// expected end if started now. Drawn like the furnace programme's preview; the numbers come from
// method/method_timeline.h.

#include <QWidget>

#include "method/method_timeline.h"

namespace vespian {

class MethodTimelineView : public QWidget {
public:
    explicit MethodTimelineView(QWidget* parent = nullptr);

    // The method as it stands; `selected` the 0-based step to shade (-1: none); the local time
    // of day for the expected end.
    void show(const MethodFile& method, int selected, int32_t secondOfDay);

    QString summaryText() const { return summary_; }
    const MethodTimeline& timeline() const { return timeline_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MethodTimeline timeline_;
    int selected_ = -1;
    QString summary_;
};

}  // namespace vespian

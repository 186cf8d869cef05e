#pragma once
// The mouse in the main window's view area as a core state machine: the tab strip, the view
// buttons with their highlight and hover help, and in the trace view the four tools (delete a
// stretch, manual peak picking, coordinate readout, zoom box) with their cursor line, the right
// click that leaves a tool, and the wheel. Each event changes the trace view, the tools and the
// trace as the rules say and returns what the window is to show; a completed manual pick is
// handed out as a sorted stretch for the "应用于..." dialog.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/measurement_state.h"
#include "app/trace_tools.h"
#include "app/view_buttons.h"
#include "platform/pixel_surface.h"
#include "trace/trace_view.h"

namespace vespian {

class Chromatogram;

// The mouse cursor over the plot: each tool has its own.
enum class ToolCursor { Arrow, DeleteStretch, Readout, ManualPeak, ZoomBox };

// A manual pick: the two clicks' indices, sorted (start ≤ end).
struct ManualPick {
    int32_t start = 0;
    int32_t end = 0;
    bool operator==(const ManualPick&) const = default;
};

enum class ViewRedraw {
    None,
    Trace,  // the trace view's plot and axes
    Full,   // everything, with the trace scroll bars rebuilt (after a zoom)
};

struct MouseOutcome {
    std::optional<int32_t> selectTab;     // a press on another tab: switch to this view
    std::optional<int32_t> viewButton;    // a press on a view button: its index (message 5020)
    ViewRedraw redraw = ViewRedraw::None;
    bool zoomed = false;                  // the zoom changed: the scroll bars are rebuilt
    bool startAutoScrollTimer = false;    // a user scroll of the time axis
    std::optional<std::string> readout;   // status pane 3
    std::optional<ManualPick> manualPick;  // open "应用于..." for this stretch
    bool traceEdited = false;             // a stretch was deleted
    ToolCursor cursor = ToolCursor::Arrow;
    // The tools' vertical cursor line through this x inside the plot; −1 for none.
    int32_t cursorLineX = -1;
    std::vector<BevelChange> bevels;      // view-button highlight
};

// What the mouse acts on.
struct MouseContext {
    ViewMode viewMode;
    TraceView& view;
    TraceTools& tools;
    Chromatogram& trace;
    ViewButtonStrip& buttons;
};

class TraceMouse {
public:
    // Left button down. `tab` is the tab under the point (−1 for none); a press on the tab
    // that is shown does nothing more than the other rules.
    MouseOutcome press(int32_t x, int32_t y, int32_t tab, MouseContext& c);
    MouseOutcome move(int32_t x, int32_t y, MouseContext& c);
    MouseOutcome release(int32_t x, int32_t y, MouseContext& c);
    // Right button up: the tool that is on is switched off.
    MouseOutcome rightClick(MouseContext& c);
    // delta > 0 is forward (away from the operator).
    MouseOutcome wheel(int32_t delta, bool leftHeld, bool rightHeld, MouseContext& c);
    MouseOutcome leave(MouseContext& c);

    // The first click of a manual pick is set (the display tick's peak hand-over waits then).
    static bool manualPickPending(const TraceTools& tools) { return tools.pendingPickIndex >= 0; }

private:
    static ToolCursor cursorOf(TraceTool tool);
    void toolCursorAt(int32_t x, int32_t y, MouseContext& c, MouseOutcome& out) const;
};

// Hover help of the view buttons: the mouse must rest for one 100 ms hover tick over a button.
class HoverHelp {
public:
    // The mouse moved: true when a shown help is to be hidden now.
    bool moved(int32_t x, int32_t y);
    // The mouse left the area: true when a shown help is to be hidden now.
    bool left();
    // The hover tick: the button whose help is to be shown now.
    std::optional<int32_t> tick(const ViewButtonStrip& buttons);
    bool shown() const { return shown_; }
    int32_t x() const { return x_; }
    int32_t y() const { return y_; }

private:
    int32_t x_ = -1;
    int32_t y_ = -1;
    bool moving_ = false;
    bool shown_ = false;
};

// Where the help box of `width` × `height` goes: 16 pixels below the mouse, or 16 above it where
// below would leave the area (whose bottom is the top of the status bar), and moved left where
// it would leave the area on the right, so the whole box is always seen.
PixelRect placeHoverBox(int32_t mouseX, int32_t mouseY, int32_t width, int32_t height, int32_t areaWidth,
                        int32_t areaHeight);

}  // namespace vespian

#pragma once
// The strip of small picture buttons drawn at the bottom of each view: which buttons a view
// offers, where they lie, which one the mouse hits, and their bevel (flat, raised under the
// mouse, pressed when given). The same range is used for drawing and for pressing, so a button
// can only be pressed where it is seen.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "app/measurement_state.h"

namespace vespian {

inline constexpr int32_t kViewButtonCount = 21;

// Buttons of the trace view.
inline constexpr int32_t kViewButtonXZoomIn = 0;
inline constexpr int32_t kViewButtonXZoomOut = 1;
inline constexpr int32_t kViewButtonYZoomIn = 2;
inline constexpr int32_t kViewButtonYZoomOut = 3;
inline constexpr int32_t kViewButtonRestoreRange = 4;
// Buttons of the report view (pore records).
inline constexpr int32_t kViewButtonPoreProperties = 6;
inline constexpr int32_t kViewButtonDeletePoreRecord = 7;
inline constexpr int32_t kViewButtonDeleteAllPoreRecords = 8;
inline constexpr int32_t kViewButtonPoreReport = 9;
// Buttons of the record list view.
inline constexpr int32_t kViewButtonSampleDetails = 10;
inline constexpr int32_t kViewButtonSelectAll = 11;
inline constexpr int32_t kViewButtonInvertSelection = 12;
inline constexpr int32_t kViewButtonClearSelection = 13;
inline constexpr int32_t kViewButtonDeleteSelected = 14;
inline constexpr int32_t kViewButtonDeleteAll = 15;
// The only button of the BET detail page.
inline constexpr int32_t kViewButtonLeaveDetail = 20;

// Strip geometry, relative to the strip bottom b of the view.
inline constexpr int32_t kViewButtonLeft = 10;       // x of the first button
inline constexpr int32_t kViewButtonPitch = 25;
inline constexpr int32_t kViewButtonWidth = 24;
inline constexpr int32_t kViewButtonTopAbove = 27;     // top = b − 27
inline constexpr int32_t kViewButtonBottomAbove = 3;   // bottom = b − 3
inline constexpr int32_t kViewButtonRuleAbove = 30;    // white line across the window at b − 30
inline constexpr int32_t kViewButtonBackgroundWidth = 160;
inline constexpr int32_t kViewButtonBackgroundHeight = 26;
inline constexpr int32_t kViewButtonMinStripBottom = 140;  // a lower strip is not drawn

// Inclusive range of button indices.
struct ViewButtonRange {
    int32_t first = 0;
    int32_t last = 0;
    int32_t count() const { return last - first + 1; }
    bool contains(int32_t index) const { return index >= first && index <= last; }
};

// The buttons a view offers; the BET detail page exists in the BET list view only.
ViewButtonRange viewButtonRange(ViewMode view, bool betDetailPage);

// The hover label of a button; empty for the indices no view uses.
std::string_view viewButtonLabel(int32_t index);

// Left and top inside, right and bottom outside.
struct ButtonRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const ButtonRect&) const = default;
};

// Rectangle of the k-th button of a range at strip bottom b; nullopt when b < 140.
std::optional<ButtonRect> viewButtonRect(int32_t k, int32_t stripBottom);

enum class Bevel { Flat, Raised, Pressed };

struct BevelChange {
    int32_t button = 0;
    Bevel bevel = Bevel::Flat;
    bool operator==(const BevelChange&) const = default;
};

class ViewButtonStrip {
public:
    // Sets the active range and lays it out at strip bottom b (every paint, size and mouse
    // move). A changed range or position clears the bevel state, since the strip is redrawn.
    void layout(ViewMode view, bool betDetailPage, int32_t stripBottom);
    // After a full repaint every button is drawn flat.
    void resetBevels();

    ViewButtonRange activeRange() const { return range_; }
    bool shown() const { return shown_; }
    // Empty for a button outside the active range or when the strip is not shown.
    ButtonRect rect(int32_t index) const;
    std::optional<int32_t> hitTest(int32_t x, int32_t y) const;

    // The mouse moved: the button under it is raised and the one raised before flattened.
    std::vector<BevelChange> mouseMoved(int32_t x, int32_t y);
    // The mouse left the window.
    std::vector<BevelChange> mouseLeft();
    // A button was given (click or menu): it is drawn pressed. Nothing for a button not shown.
    std::vector<BevelChange> pressed(int32_t index);

    Bevel bevel(int32_t index) const;
    // The button currently raised or pressed, or −1.
    int32_t current() const { return current_; }

private:
    std::vector<BevelChange> moveTo(int32_t index);

    ViewButtonRange range_{0, 4};
    int32_t stripBottom_ = 0;
    bool shown_ = false;
    bool laidOut_ = false;
    int32_t current_ = -1;
    Bevel currentBevel_ = Bevel::Flat;
};

}  // namespace vespian

#pragma once
// The main window's commands as data: the toolbar button tables, the tooltips, the menu bar, the
// accelerators and where each command id is routed. The desktop layer builds its toolbars, menu
// and shortcuts from these tables and dispatches through commandFor(), so what the operator can
// reach and what the window handles stay one list.

#include <cstdint>
#include <span>
#include <string_view>

namespace vespian {

// ---- Toolbars ------------------------------------------------------------------------------

struct ToolbarButton {
    int32_t commandId = 0;     // 0 for a separator
    int32_t bitmapIndex = -1;  // image in the toolbar's strip; -1 for a separator
    bool separator = false;
    bool checkButton = false;  // keeps a pressed state
    bool hiddenAtStart = false;
};

struct ToolbarTable {
    int32_t controlId = 0;
    int32_t bitmapResource = 0;  // strip of 30 × 40 images
    bool hiddenAtStart = false;
    std::span<const ToolbarButton> buttons;
};

// Images in toolbar A's strip.
inline constexpr int32_t kToolbarAImages = 21;

// Toolbar A of the trace view as the instrument's program has always had it (23 entries).
ToolbarTable toolbarA();
// Toolbar B of the report view (6 entries).
ToolbarTable toolbarB();
// Toolbar C of the record lists (7 entries, never shown).
ToolbarTable toolbarC();
// The measurement buttons that toolbar A carries besides its classic entries: start, stop,
// calibration and clear trace, on images of A's strip that no classic button uses. Starts with
// a separator.
std::span<const ToolbarButton> measurementToolbarGroup();
// What the trace view shows: toolbar A with the measurement group after its tool buttons.
ToolbarTable mainToolbar();

// The tooltip of a command; empty when it has none.
std::string_view tooltipFor(int32_t commandId);

// ---- Menu ------------------------------------------------------------------------------------

enum class MenuCheck { None, Check, Radio };

struct MenuItem {
    std::string_view text;  // '&' marks the mnemonic; empty for a separator
    int32_t commandId = 0;  // 0 for separators and submenus
    bool separator = false;
    bool grayedAtStart = false;
    MenuCheck check = MenuCheck::None;
    std::span<const MenuItem> submenu{};  // non-empty: this item opens a submenu
};

struct MenuPopup {
    std::string_view title;
    std::span<const MenuItem> items;
};

// Menu 129 of the main window, left to right.
std::span<const MenuPopup> menuBar();
// Every command item of the menu, submenus included, in menu order.
std::span<const MenuItem* const> menuCommandItems();

// ---- Accelerators ------------------------------------------------------------------------

struct Accelerator {
    std::string_view keys;  // "Ctrl+N", "Alt+?"; the notation of portable key sequences
    int32_t commandId = 0;
};
std::span<const Accelerator> accelerators();

// ---- Dispatch ----------------------------------------------------------------------------

enum class CommandRoute {
    NewDatabase,
    OpenDocument,        // trace file in the trace view, report file elsewhere
    SaveDocument,        // likewise
    SaveAsText,
    Print,
    Exit,                // save-progress dialog `dialog`, then close without the programme check
    Dialog,              // modal dialog `dialog`
    InjectorDialog,      // modal dialog `dialog`, then the automatic desorption is re-armed
    AboutBox,            // dialog `dialog`
    ZoomIn,
    ZoomOut,
    ZoomBoxTool,
    ViewButton,          // posts the view-button message with `viewButton`
    MeasurementState,    // MeasurementState::apply
    ManualPeakTool,
    DeleteStretchTool,
    ReadoutTool,
    ClearTrace,          // after `question`
    InvertPolarity,      // after `question`
    ShowComparisonSamples,
    OptionOff,
    OptionOn,
    ClearDeadVolumes,    // after `question`
    ClearStandards,      // after `question`
    ClearComparisonRecords,
    ClearBetRecords,
    ClearPoreRecords,
    EventList,           // the window listing the run's alarms and notices
    Method,              // the method editor and the run view
};

struct CommandEntry {
    int32_t id = 0;
    CommandRoute route = CommandRoute::NewDatabase;
    int32_t dialog = 0;       // dialog template of Dialog, InjectorDialog, Exit, AboutBox
    int32_t viewButton = -1;  // ViewButton only
    bool ownerless = false;   // dialog opened without the main window as owner
    bool repaint = false;     // repaint the window afterwards
    std::string_view question{};         // Yes/No confirmation; only Yes acts
    std::string_view questionCaption{};
};

// The whole command table.
std::span<const CommandEntry> commandTable();
// nullptr for an id the window does not handle.
const CommandEntry* commandFor(int32_t commandId);
bool isHandledCommand(int32_t commandId);

}  // namespace vespian

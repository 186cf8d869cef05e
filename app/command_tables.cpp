#include "app/command_tables.h"

#include <algorithm>
#include <array>
#include <vector>

#include "app/command_ids.h"

namespace vespian {

namespace {

// ---- Toolbars ------------------------------------------------------------------------------

constexpr ToolbarButton button(int32_t id, int32_t image) { return {id, image, false, false, false}; }
constexpr ToolbarButton checkButton(int32_t id, int32_t image) { return {id, image, false, true, false}; }
constexpr ToolbarButton hiddenButton(int32_t id, int32_t image) { return {id, image, false, false, true}; }
constexpr ToolbarButton hiddenCheckButton(int32_t id, int32_t image) { return {id, image, false, true, true}; }
constexpr ToolbarButton toolbarSeparator() { return {0, -1, true, false, false}; }

constexpr int32_t kToolbarABitmap = 150;
constexpr int32_t kToolbarBBitmap = 163;
constexpr int32_t kToolbarCBitmap = 152;

constexpr ToolbarButton kToolbarA[] = {
    button(kCmdNewDatabase, 0),
    button(kCmdOpen, 1),
    button(kCmdSave, 2),
    button(kCmdPrint, 3),
    toolbarSeparator(),
    button(kCmdZeroSignal, 5),
    hiddenButton(kCmdRestoreSignal, 15),  // appears once the signal has been zeroed
    button(kCmdManualPeak, 8),
    button(kCmdReadout, 4),
    toolbarSeparator(),
    button(kCmdDeleteStretch, 6),
    toolbarSeparator(),
    button(kCmdZoomIn, 9),
    button(kCmdZoomOut, 10),
    button(kCmdZoomBox, 11),
    toolbarSeparator(),
    button(kCmdSettings, 12),
    toolbarSeparator(),
    button(kCmdTemperatureProgram, 17),
    button(kCmdFlowSetting, 18),
    button(kCmdGasPath, 19),
    toolbarSeparator(),
    button(kCmdInvertPolarity, 20),
};

constexpr ToolbarButton kToolbarB[] = {
    button(kCmdNewDatabase, 0), button(kCmdOpen, 1), button(kCmdSave, 2), button(kCmdPrint, 3),
    toolbarSeparator(),         button(kCmdSettings, 4),
};

constexpr ToolbarButton kToolbarC[] = {
    button(kCmdNewDatabase, 0),
    button(kCmdOpen, 1),
    button(kCmdSave, 2),
    button(kCmdPrint, 3),
    hiddenCheckButton(kCmdShowComparisonSamples, 5),
    toolbarSeparator(),
    button(kCmdSettings, 7),
};

// Images 7, 13, 14 and 16 of toolbar A's strip are free. Stop is hidden while idle: start and
// stop take turns in the same place.
constexpr ToolbarButton kMeasurementGroup[] = {
    toolbarSeparator(),
    button(kCmdStartMeasurement, 7),
    hiddenButton(kCmdStopMeasurement, 13),
    checkButton(kCmdCalibration, 14),
    button(kCmdClearTrace, 16),
};

// The measurement group follows the zoom buttons.
constexpr size_t measurementGroupPosition() {
    for (size_t i = 0; i < std::size(kToolbarA); ++i) {
        if (kToolbarA[i].commandId == kCmdZoomBox) return i + 1;
    }
    return std::size(kToolbarA);
}

constexpr auto composeMainToolbar() {
    std::array<ToolbarButton, std::size(kToolbarA) + std::size(kMeasurementGroup)> out{};
    size_t n = 0;
    const size_t at = measurementGroupPosition();
    for (size_t i = 0; i < at; ++i) out[n++] = kToolbarA[i];
    for (const ToolbarButton& b : kMeasurementGroup) out[n++] = b;
    for (size_t i = at; i < std::size(kToolbarA); ++i) out[n++] = kToolbarA[i];
    return out;
}

constexpr auto kMainToolbar = composeMainToolbar();

// ---- Tooltips ----------------------------------------------------------------------------

struct Tooltip {
    int32_t id;
    std::string_view text;
};

constexpr Tooltip kTooltips[] = {
    {kCmdNewDatabase, "新建一个数据库"},
    {kCmdOpen, "打开一个数据库"},
    {kCmdSave, "保存当前数据"},
    {kCmdPrint, "打印数据"},
    {kCmdComparisonMethod, "对比分析法"},
    {kCmdBetMethod, "BET分析法"},
    {kCmdZeroSignal, "信号调零"},
    {kCmdStartMeasurement, "开始测量"},
    {kCmdManualPeak, "人工识峰"},
    {kCmdZoomIn, "放大显示"},
    {kCmdZoomOut, "缩小显示"},
    {kCmdZoomBox, "调整合适尺寸"},
    {kCmdSettings, "参数设置"},
    {kCmdShowStandards, "显示标样数据"},
    {kCmdShowComparisonSamples, "显示对比分析法样品数据"},
    {kCmdShowBetSamples, "显示BET分析法样品数据"},
    {kCmdDeleteStretch, "删除一段谱图"},
    {kCmdStopMeasurement, "停止测量"},
    {kCmdCalibration, "标定吸附量"},
    {kCmdRestoreSignal, "信号还原"},
    // Toolbar A buttons that had no tip of their own; the tip names what the button does.
    {kCmdReadout, "坐标读数"},
    {kCmdClearTrace, "清除谱图"},
    {kCmdInvertPolarity, "颠倒极性"},
    {kCmdTemperatureProgram, "程序升温"},
    {kCmdFlowSetting, "流量设定"},
    {kCmdGasPath, "气路控制"},
};

// ---- Menu ------------------------------------------------------------------------------------

constexpr MenuItem item(std::string_view text, int32_t id) { return {text, id}; }
constexpr MenuItem grayedItem(std::string_view text, int32_t id) { return {text, id, false, true}; }
constexpr MenuItem checkItem(std::string_view text, int32_t id) {
    return {text, id, false, false, MenuCheck::Check};
}
constexpr MenuItem radioItem(std::string_view text, int32_t id) {
    return {text, id, false, false, MenuCheck::Radio};
}
constexpr MenuItem menuSeparator() { return {{}, 0, true}; }
constexpr MenuItem submenu(std::string_view text, std::span<const MenuItem> items) {
    return {text, 0, false, false, MenuCheck::None, items};
}

constexpr MenuItem kFileMenu[] = {
    item("新建  Ctrl+&N", kCmdNewDatabase),
    item("打开  Ctrl+&O", kCmdOpen),
    item("保存  Ctrl+&S", kCmdSave),
    item("保存为文本文件", kCmdSaveAsText),
    item("导出数据", kCmdExportData),
    menuSeparator(),
    item("打印  Ctrl+&P", kCmdPrint),
    menuSeparator(),
    item("退出  Ctrl+&E", kCmdExit),
};

constexpr MenuItem kViewMenu[] = {
    item("谱图放大显示", kCmdZoomIn),
    item("谱图缩小显示", kCmdZoomOut),
    item("调整到合适尺寸", kCmdZoomBox),
    menuSeparator(),
    item("横座标放大", kCmdXAxisZoomIn),
    item("横座标缩小", kCmdXAxisZoomOut),
    item("纵座标放大", kCmdYAxisZoomIn),
    item("纵座标缩小", kCmdYAxisZoomOut),
    item("还原量程", kCmdRestoreRange),
    menuSeparator(),
    item("谱图窗口", kCmdTraceView),
    item("报告窗口", kCmdReportView),
};

// Start and stop carry a check mark that tells which of the two was given last.
constexpr MenuItem kMeasureMenu[] = {
    checkItem("开始测量", kCmdStartMeasurement),
    checkItem("停止测量", kCmdStopMeasurement),
    menuSeparator(),
    checkItem("标定吸附量", kCmdCalibration),
    menuSeparator(),
    // Also after a run, when the toolbar may be out of reach, peaks are picked from here.
    item("人工识峰", kCmdManualPeak),
    menuSeparator(),
    radioItem("对比分析法", kCmdComparisonMethod),
    radioItem("BET分析法", kCmdBetMethod),
    menuSeparator(),
    item("清除谱图", kCmdClearTrace),
};

// The injector dialog only makes sense during a measurement: start enables it.
constexpr MenuItem kControlMenu[] = {
    item("流量设定", kCmdFlowSetting),
    item("气路控制", kCmdGasPath),
    grayedItem("进样器控制", kCmdInjector),
    item("程序升温", kCmdTemperatureProgram),
    menuSeparator(),
    item("新建方法…", kCmdNewMethod),
    item("打开方法…", kCmdOpenMethod),
    item("方法运行", kCmdMethodRun),
    menuSeparator(),
    item("报警与事件记录", kCmdEventList),
    menuSeparator(),
    item("参数设置", kCmdSettings),
};

constexpr MenuItem kWizardMenu[] = {
    item("TPD", kCmdWizardTpd),
    item("TPO", kCmdWizardTpo),
    item("TPR", kCmdWizardTpr),
    item("氢氧滴定", kCmdWizardTitration),
};

constexpr MenuItem kGuideMenu[] = {
    item("TPD操作说明", kCmdGuideTpd),
    item("TPO操作说明", kCmdGuideTpo),
    item("TPR操作说明", kCmdGuideTpr),
    item("氢氧滴定操作说明", kCmdGuideTitration),
};

constexpr MenuItem kConnectionMenu[] = {
    item("仪器背视接口视图", kCmdRearPanelView),
    item("仪器右视接口视图", kCmdRightPanelView),
};

constexpr MenuItem kHelpMenu[] = {
    submenu("操作说明", kGuideMenu),
    submenu("气路连接帮助", kConnectionMenu),
    menuSeparator(),
    item("关于Vespian", kCmdAbout),
};

constexpr MenuPopup kMenuBar[] = {
    {"文件(&F)", kFileMenu},      {"显示(&V)", kViewMenu},          {"测量(&M)", kMeasureMenu},
    {"控制(&C)", kControlMenu},   {"智能测试向导(&W)", kWizardMenu}, {"帮助(&H)", kHelpMenu},
};

void collectCommandItems(std::span<const MenuItem> items, std::vector<const MenuItem*>* out) {
    for (const MenuItem& m : items) {
        if (!m.submenu.empty()) {
            collectCommandItems(m.submenu, out);
        } else if (!m.separator) {
            out->push_back(&m);
        }
    }
}

// ---- Accelerators ------------------------------------------------------------------------

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+N", kCmdNewDatabase}, {"Ctrl+O", kCmdOpen}, {"Ctrl+S", kCmdSave}, {"Ctrl+P", kCmdPrint},
    {"Ctrl+E", kCmdExit},        {"Alt+?", kCmdAbout}, {"Alt+/", kCmdAbout},
};

// ---- Dispatch ----------------------------------------------------------------------------

constexpr CommandEntry route(int32_t id, CommandRoute r, bool repaint = false) {
    CommandEntry e;
    e.id = id;
    e.route = r;
    e.repaint = repaint;
    return e;
}
constexpr CommandEntry dialog(int32_t id, int32_t templateId, bool repaint = false) {
    CommandEntry e = route(id, CommandRoute::Dialog, repaint);
    e.dialog = templateId;
    return e;
}
constexpr CommandEntry ownerlessDialog(int32_t id, int32_t templateId) {
    CommandEntry e = dialog(id, templateId);
    e.ownerless = true;
    return e;
}
constexpr CommandEntry viewButton(int32_t id, int32_t index) {
    CommandEntry e = route(id, CommandRoute::ViewButton);
    e.viewButton = index;
    return e;
}
constexpr CommandEntry confirmed(int32_t id, CommandRoute r, std::string_view question, std::string_view caption,
                                 bool repaint = true) {
    CommandEntry e = route(id, r, repaint);
    e.question = question;
    e.questionCaption = caption;
    return e;
}
constexpr CommandEntry withDialog(CommandEntry e, int32_t templateId) {
    e.dialog = templateId;
    return e;
}

constexpr int32_t kDialogTpoGuide = 1691;
constexpr int32_t kDialogTprGuide = 1686;
constexpr int32_t kDialogTitrationGuide = 1692;

constexpr CommandEntry kCommandTable[] = {
    route(kCmdNewDatabase, CommandRoute::NewDatabase),
    route(kCmdOpen, CommandRoute::OpenDocument),
    route(kCmdSave, CommandRoute::SaveDocument),
    route(kCmdSaveAsText, CommandRoute::SaveAsText),
    dialog(kCmdExportData, 210),
    route(kCmdPrint, CommandRoute::Print),
    withDialog(route(kCmdExit, CommandRoute::Exit), 151),
    dialog(kCmdGasPath, 206),
    withDialog(route(kCmdInjector, CommandRoute::InjectorDialog, true), 187),
    dialog(kCmdFlowSetting, 192),
    ownerlessDialog(kCmdTemperatureProgram, 214),
    ownerlessDialog(kCmdTemperatureProgramAlt, 214),
    route(kCmdZoomIn, CommandRoute::ZoomIn, true),
    route(kCmdZoomOut, CommandRoute::ZoomOut, true),
    route(kCmdZoomBox, CommandRoute::ZoomBoxTool),
    viewButton(kCmdXAxisZoomIn, 0),
    viewButton(kCmdXAxisZoomOut, 1),
    viewButton(kCmdYAxisZoomIn, 2),
    viewButton(kCmdYAxisZoomOut, 3),
    viewButton(kCmdRestoreRange, 4),
    ownerlessDialog(kCmdWizardTpd, 1695),
    // The wizard has a preparation page for TPD only; the other tests open their guide.
    ownerlessDialog(kCmdWizardTpo, kDialogTpoGuide),
    ownerlessDialog(kCmdWizardTpr, kDialogTprGuide),
    ownerlessDialog(kCmdWizardTitration, kDialogTitrationGuide),
    ownerlessDialog(kCmdGuideTpd, 236),
    ownerlessDialog(kCmdGuideTpo, kDialogTpoGuide),
    ownerlessDialog(kCmdGuideTpr, kDialogTprGuide),
    ownerlessDialog(kCmdGuideTitration, kDialogTitrationGuide),
    ownerlessDialog(kCmdRearPanelView, 239),
    ownerlessDialog(kCmdRightPanelView, 1694),
    dialog(kCmdSettings, 167, true),
    withDialog(route(kCmdAbout, CommandRoute::AboutBox, true), 103),
    route(kCmdComparisonMethod, CommandRoute::MeasurementState),
    route(kCmdBetMethod, CommandRoute::MeasurementState),
    route(kCmdZeroSignal, CommandRoute::MeasurementState),
    route(kCmdRestoreSignal, CommandRoute::MeasurementState),
    route(kCmdStartMeasurement, CommandRoute::MeasurementState),
    route(kCmdStopMeasurement, CommandRoute::MeasurementState),
    route(kCmdCalibration, CommandRoute::MeasurementState),
    route(kCmdTraceView, CommandRoute::MeasurementState),
    route(kCmdReportView, CommandRoute::MeasurementState),
    route(kCmdManualPeak, CommandRoute::ManualPeakTool),
    route(kCmdEventList, CommandRoute::EventList),
    route(kCmdNewMethod, CommandRoute::Method),
    route(kCmdOpenMethod, CommandRoute::Method),
    route(kCmdMethodRun, CommandRoute::Method),
    route(kCmdDeleteStretch, CommandRoute::DeleteStretchTool),
    route(kCmdReadout, CommandRoute::ReadoutTool),
    confirmed(kCmdClearTrace, CommandRoute::ClearTrace, "您真的要清除谱图吗？", "清除提示"),
    confirmed(kCmdInvertPolarity, CommandRoute::InvertPolarity, "请先检查极性,确定需要颠倒极性么？", "警告"),
    route(kCmdShowComparisonSamples, CommandRoute::ShowComparisonSamples, true),
    route(kCmdOptionOff, CommandRoute::OptionOff),
    route(kCmdOptionOn, CommandRoute::OptionOn),
    confirmed(kCmdClearDeadVolumes, CommandRoute::ClearDeadVolumes,
              "所有死体积数据将在本库文件中被删除，你确定吗？", "清空死体积数据"),
    confirmed(kCmdClearStandards, CommandRoute::ClearStandards, "所有标样数据将在本库文件中被删除，你确定吗？",
              "清空标样库"),
    confirmed(kCmdClearComparisonRecords, CommandRoute::ClearComparisonRecords,
              "所有比较法比表面积数据将在本库文件中被删除，你确定吗？", "清空比较法比表面积库"),
    confirmed(kCmdClearBetRecords, CommandRoute::ClearBetRecords,
              "所有BET比表面积数据将在本库文件中被删除，你确定吗？", "清空BET比表面积库"),
    confirmed(kCmdClearPoreRecords, CommandRoute::ClearPoreRecords, "所有孔径记录将被删除，你确定吗？",
              "清空孔径记录"),
};

}  // namespace

ToolbarTable toolbarA() { return {kControlMainToolbar, kToolbarABitmap, false, kToolbarA}; }
ToolbarTable toolbarB() { return {kControlListToolbar, kToolbarBBitmap, true, kToolbarB}; }
ToolbarTable toolbarC() { return {kControlListToolbar, kToolbarCBitmap, true, kToolbarC}; }
std::span<const ToolbarButton> measurementToolbarGroup() { return kMeasurementGroup; }
ToolbarTable mainToolbar() { return {kControlMainToolbar, kToolbarABitmap, false, kMainToolbar}; }

std::string_view tooltipFor(int32_t commandId) {
    for (const Tooltip& t : kTooltips) {
        if (t.id == commandId) return t.text;
    }
    return {};
}

std::span<const MenuPopup> menuBar() { return kMenuBar; }

std::span<const MenuItem* const> menuCommandItems() {
    static const std::vector<const MenuItem*> items = [] {
        std::vector<const MenuItem*> out;
        for (const MenuPopup& popup : kMenuBar) collectCommandItems(popup.items, &out);
        return out;
    }();
    return items;
}

std::span<const Accelerator> accelerators() { return kAccelerators; }

std::span<const CommandEntry> commandTable() { return kCommandTable; }

const CommandEntry* commandFor(int32_t commandId) {
    const auto* it = std::find_if(std::begin(kCommandTable), std::end(kCommandTable),
                                  [commandId](const CommandEntry& e) { return e.id == commandId; });
    return it == std::end(kCommandTable) ? nullptr : it;
}

bool isHandledCommand(int32_t commandId) { return commandFor(commandId) != nullptr; }

}  // namespace vespian

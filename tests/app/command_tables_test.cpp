#include "app/command_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/command_ids.h"
#include "app/measurement_state.h"
#include "control/furnace_program.h"
#include "control/guide_pages.h"
#include "control/valve_panel.h"

namespace vespian {
namespace {

using Entry = std::pair<int32_t, int32_t>;  // command id (0 = separator), bitmap index

std::vector<Entry> entries(std::span<const ToolbarButton> buttons) {
    std::vector<Entry> out;
    for (const ToolbarButton& b : buttons) out.emplace_back(b.separator ? 0 : b.commandId, b.separator ? -1 : b.bitmapIndex);
    return out;
}

std::set<int32_t> menuIds() {
    std::set<int32_t> ids;
    for (const MenuItem* m : menuCommandItems()) ids.insert(m->commandId);
    return ids;
}

const MenuItem* menuItem(int32_t id) {
    for (const MenuItem* m : menuCommandItems()) {
        if (m->commandId == id) return m;
    }
    return nullptr;
}

TEST(Toolbars, ClassicTablesAsTheProgramHasThem) {
    EXPECT_EQ(entries(toolbarA().buttons),
              (std::vector<Entry>{{32771, 0}, {32772, 1}, {32773, 2}, {32775, 3}, {0, -1}, {32780, 5}, {33780, 15},
                                  {32783, 8}, {33782, 4}, {0, -1}, {32801, 6}, {0, -1}, {32784, 9}, {32785, 10},
                                  {32786, 11}, {0, -1}, {32791, 12}, {0, -1}, {32819, 17}, {32816, 18}, {32818, 19},
                                  {0, -1}, {33786, 20}}));
    EXPECT_EQ(entries(toolbarB().buttons),
              (std::vector<Entry>{{32771, 0}, {32772, 1}, {32773, 2}, {32775, 3}, {0, -1}, {32791, 4}}));
    EXPECT_EQ(entries(toolbarC().buttons),
              (std::vector<Entry>{{32771, 0}, {32772, 1}, {32773, 2}, {32775, 3}, {32797, 5}, {0, -1}, {32791, 7}}));
    EXPECT_EQ(toolbarA().controlId, 6300);
    EXPECT_EQ(toolbarA().bitmapResource, 150);
    EXPECT_FALSE(toolbarA().hiddenAtStart);
    EXPECT_EQ(toolbarB().bitmapResource, 163);
    EXPECT_TRUE(toolbarB().hiddenAtStart);
    EXPECT_EQ(toolbarC().bitmapResource, 152);
    EXPECT_TRUE(toolbarC().hiddenAtStart);
}

TEST(Toolbars, HiddenAndCheckButtonsAtStart) {
    std::vector<int32_t> hiddenA, hiddenC;
    for (const ToolbarButton& b : toolbarA().buttons) if (b.hiddenAtStart) hiddenA.push_back(b.commandId);
    for (const ToolbarButton& b : toolbarC().buttons) if (b.hiddenAtStart) hiddenC.push_back(b.commandId);
    EXPECT_EQ(hiddenA, std::vector<int32_t>{kCmdRestoreSignal});
    EXPECT_EQ(hiddenC, std::vector<int32_t>{kCmdShowComparisonSamples});
    auto c = toolbarC().buttons;
    EXPECT_TRUE(std::find_if(c.begin(), c.end(), [](const ToolbarButton& b) { return b.checkButton; })->commandId ==
                kCmdShowComparisonSamples);
}

TEST(Toolbars, MainToolbarAddsTheMeasurementButtonsOnFreeImages) {
    const auto main = entries(mainToolbar().buttons);
    // Taking the measurement group out gives toolbar A back.
    auto group = entries(measurementToolbarGroup());
    auto at = std::search(main.begin(), main.end(), group.begin(), group.end());
    ASSERT_NE(at, main.end());
    std::vector<Entry> rest(main.begin(), at);
    rest.insert(rest.end(), at + static_cast<std::ptrdiff_t>(group.size()), main.end());
    EXPECT_EQ(rest, entries(toolbarA().buttons));

    EXPECT_EQ(group, (std::vector<Entry>{{0, -1}, {32781, 7}, {32804, 13}, {32806, 14}, {33785, 16}}));
    std::set<int32_t> images;
    for (const ToolbarButton& b : mainToolbar().buttons) {
        if (b.separator) continue;
        EXPECT_TRUE(b.bitmapIndex >= 0 && b.bitmapIndex < kToolbarAImages) << b.commandId;
        EXPECT_TRUE(images.insert(b.bitmapIndex).second) << "image used twice: " << b.bitmapIndex;
    }
    // Idle at start: stop waits hidden where start is.
    for (const ToolbarButton& b : measurementToolbarGroup()) {
        EXPECT_EQ(b.hiddenAtStart, b.commandId == kCmdStopMeasurement) << b.commandId;
    }
}

TEST(Tooltips, TheProgramsTexts) {
    const std::pair<int32_t, std::string_view> expected[] = {
        {32771, "新建一个数据库"}, {32772, "打开一个数据库"}, {32773, "保存当前数据"},
        {32775, "打印数据"},       {32778, "对比分析法"},     {32779, "BET分析法"},
        {32780, "信号调零"},       {32781, "开始测量"},       {32783, "人工识峰"},
        {32784, "放大显示"},       {32785, "缩小显示"},       {32786, "调整合适尺寸"},
        {32791, "参数设置"},       {32796, "显示标样数据"},   {32797, "显示对比分析法样品数据"},
        {32800, "显示BET分析法样品数据"}, {32801, "删除一段谱图"}, {32804, "停止测量"},
        {32806, "标定吸附量"},     {33780, "信号还原"},
    };
    for (auto [id, text] : expected) EXPECT_EQ(tooltipFor(id), text) << id;
    EXPECT_TRUE(tooltipFor(105).empty());
    EXPECT_TRUE(tooltipFor(0).empty());
}

TEST(Tooltips, EveryShownToolbarButtonHasOne) {
    for (ToolbarTable t : {mainToolbar(), toolbarB(), toolbarC()}) {
        for (const ToolbarButton& b : t.buttons) {
            if (!b.separator) {
                EXPECT_FALSE(tooltipFor(b.commandId).empty()) << b.commandId;
            }
        }
    }
}

TEST(Menu, OffersTheClassicItemsAndTheMeasurementCommands) {
    std::set<int32_t> expected{104, 105, 1025, 1026, 1027, 1028, 32771, 32772, 32773, 32775, 32805, 32813};
    for (int32_t id = 32784; id <= 32791; ++id) expected.insert(id);
    for (int32_t id = 32816; id <= 32820; ++id) expected.insert(id);
    for (int32_t id = 32822; id <= 32827; ++id) expected.insert(id);
    // The commands the operator had no way to give.
    for (int32_t id : {32781, 32804, 32806, 32778, 32779, 33785, 32792, 32793}) expected.insert(id);
    // The manual peak pick, reachable after a run as well, the run's event list and the methods.
    for (int32_t id : {kCmdManualPeak, kCmdEventList, kCmdNewMethod, kCmdOpenMethod, kCmdMethodRun}) expected.insert(id);
    EXPECT_EQ(menuIds(), expected);
    EXPECT_EQ(menuCommandItems().size(), expected.size());  // no command twice
}

TEST(Menu, TextsStatesAndChecks) {
    // The file items name their accelerators; the injector item needs a running measurement.
    const std::pair<int32_t, std::string_view> texts[] = {
        {32771, "新建  Ctrl+&N"}, {32772, "打开  Ctrl+&O"}, {32773, "保存  Ctrl+&S"},
        {32775, "打印  Ctrl+&P"}, {105, "退出  Ctrl+&E"},     {32813, "进样器控制"},
        {32819, "程序升温"},      {104, "关于Vespian"},
    };
    for (auto [id, text] : texts) {
        const MenuItem* m = menuItem(id);
        ASSERT_NE(m, nullptr) << id;
        EXPECT_EQ(m->text, text) << id;
    }
    for (const MenuItem* m : menuCommandItems()) {
        EXPECT_EQ(m->grayedAtStart, m->commandId == kCmdInjector) << m->commandId;
        EXPECT_FALSE(m->text.empty()) << m->commandId;
    }
    EXPECT_EQ(menuItem(kCmdComparisonMethod)->check, MenuCheck::Radio);
    EXPECT_EQ(menuItem(kCmdBetMethod)->check, MenuCheck::Radio);
    // The measurement commands check and uncheck their items.
    for (int32_t id : {kCmdStartMeasurement, kCmdStopMeasurement, kCmdCalibration}) {
        EXPECT_EQ(menuItem(id)->check, MenuCheck::Check) << id;
    }
    for (const MenuPopup& p : menuBar()) EXPECT_FALSE(p.title.empty());
}

TEST(Accelerators, CtrlKeysOfTheMenuTextsAndAltForAbout) {
    std::vector<std::pair<std::string_view, int32_t>> keys;
    for (const Accelerator& a : accelerators()) keys.emplace_back(a.keys, a.commandId);
    EXPECT_EQ(keys, (std::vector<std::pair<std::string_view, int32_t>>{
                        {"Ctrl+N", 32771}, {"Ctrl+O", 32772}, {"Ctrl+S", 32773}, {"Ctrl+P", 32775},
                        {"Ctrl+E", 105}, {"Alt+?", 104}, {"Alt+/", 104}}));
}

TEST(Dispatch, EveryCommandTheOperatorCanGiveIsHandled) {
    for (const MenuItem* m : menuCommandItems()) EXPECT_TRUE(isHandledCommand(m->commandId)) << m->commandId;
    for (ToolbarTable t : {mainToolbar(), toolbarB(), toolbarC()}) {
        for (const ToolbarButton& b : t.buttons) {
            if (!b.separator) {
                EXPECT_TRUE(isHandledCommand(b.commandId)) << b.commandId;
            }
        }
    }
    for (const Accelerator& a : accelerators()) EXPECT_TRUE(isHandledCommand(a.commandId));
    // Also those that only other commands give.
    for (int32_t id : {32802, 32803, 32807, 32809, 32810, 32811, 32812, 32821, 32797}) {
        EXPECT_TRUE(isHandledCommand(id)) << id;
    }
    EXPECT_FALSE(isHandledCommand(32808));
    EXPECT_FALSE(isHandledCommand(32796));  // toolbar C shows no such button
    EXPECT_EQ(commandFor(1), nullptr);
}

TEST(Dispatch, RoutesAgreeWithTheMeasurementStateAndAreUnique) {
    std::set<int32_t> seen;
    for (const CommandEntry& e : commandTable()) {
        EXPECT_TRUE(seen.insert(e.id).second) << "twice: " << e.id;
        EXPECT_EQ(e.route == CommandRoute::MeasurementState, MeasurementState::handles(e.id)) << e.id;
        if (e.route == CommandRoute::Dialog || e.route == CommandRoute::InjectorDialog) {
            EXPECT_GT(e.dialog, 0) << e.id;
        }
        if (!e.question.empty()) {
            EXPECT_FALSE(e.questionCaption.empty()) << e.id;
        }
    }
}

TEST(Dispatch, RoutesOfNamedCommands) {
    EXPECT_EQ(commandFor(32787)->viewButton, 0);
    EXPECT_EQ(commandFor(32788)->viewButton, 1);
    EXPECT_EQ(commandFor(32789)->viewButton, 2);
    EXPECT_EQ(commandFor(32790)->viewButton, 3);
    EXPECT_EQ(commandFor(32805)->viewButton, 4);
    EXPECT_EQ(commandFor(32819)->dialog, 214);
    EXPECT_TRUE(commandFor(32819)->ownerless);
    EXPECT_EQ(commandFor(32821)->dialog, 214);
    EXPECT_EQ(commandFor(32813)->route, CommandRoute::InjectorDialog);
    EXPECT_TRUE(commandFor(32813)->repaint);
    EXPECT_EQ(commandFor(105)->route, CommandRoute::Exit);
    EXPECT_EQ(commandFor(105)->dialog, 151);
    EXPECT_EQ(commandFor(32791)->dialog, 167);
    EXPECT_FALSE(commandFor(32791)->ownerless);
    EXPECT_EQ(commandFor(1028)->dialog, 1692);
    EXPECT_EQ(commandFor(32827)->dialog, 1692);  // the titration wizard item shows its guide
    EXPECT_EQ(commandFor(32824)->dialog, 1695);
    EXPECT_EQ(commandFor(33785)->question, "您真的要清除谱图吗？");
    EXPECT_EQ(commandFor(33785)->questionCaption, "清除提示");
    EXPECT_EQ(commandFor(33786)->question, "请先检查极性,确定需要颠倒极性么？");
    EXPECT_EQ(commandFor(33786)->questionCaption, "警告");
    EXPECT_EQ(commandFor(32811)->question, "所有BET比表面积数据将在本库文件中被删除，你确定吗？");
    EXPECT_EQ(commandFor(32811)->questionCaption, "清空BET比表面积库");
    EXPECT_EQ(commandFor(32812)->questionCaption, "清空孔径记录");
}

// The guides tell the operator what to press: every command they name in quotes is one this
// program offers under that name (a menu item or a toolbar button), a caption of the dialogs
// they walk through, or a valve position the gas-path panel shows.
TEST(GuideTexts, NameTheProgramsOwnCommands) {
    std::set<std::string> known{std::string(kStartCaption), std::string(kStopCaption), std::string(kAddCaption),
                                std::string(kProgrammeTitle), "设定", "应用于...", "定量", "样品",
                                "检测到可燃气体泄漏"};
    for (const MenuItem* m : menuCommandItems()) known.insert(std::string(m->text.substr(0, m->text.find("  "))));
    for (const ToolbarButton& b : mainToolbar().buttons) known.insert(std::string(tooltipFor(b.commandId)));
    for (int32_t k = 0; k < kValveCount; ++k) {
        for (bool on : {false, true}) {
            for (bool toggled : {false, true}) {
                std::string caption(valveCaption(k, on, toggled));
                caption.erase(0, caption.find_first_not_of(' '));
                known.insert(caption);
            }
        }
    }
    int named = 0;
    for (GuideKind kind : {GuideKind::Tpd, GuideKind::Tpo, GuideKind::Tpr, GuideKind::Titration}) {
        for (const GuideStep& step : guideSteps(kind)) {
            for (std::string_view line : step.lines) {
                const std::string text(line);
                for (size_t open = text.find("“"); open != std::string::npos; open = text.find("“", open + 1)) {
                    const size_t from = open + std::string("“").size();
                    const size_t close = text.find("”", from);
                    ASSERT_NE(close, std::string::npos) << text;
                    const std::string name = text.substr(from, close - from);
                    EXPECT_TRUE(known.count(name)) << "“" << name << "” in: " << text;
                    ++named;
                }
                // Picking a peak by hand is the command "人工识峰", whatever the sentence calls it.
                if (text.find("取峰") != std::string::npos || text.find("识峰") != std::string::npos) {
                    EXPECT_NE(text.find("“人工识峰”"), std::string::npos) << text;
                }
            }
        }
    }
    EXPECT_GT(named, 40);
}

}  // namespace
}  // namespace vespian

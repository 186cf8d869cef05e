// Every command the window handles, given in each view of the running program with the prompts
// answering No or cancelling and any window that opens closed at once: none may answer that it
// is not available yet. The same for every drawn view button of each view.

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/command_tables.h"
#include "app/desktop/list_wiring.h"
#include "app/desktop/view_area.h"
#include "app/view_buttons.h"
#include "modal_watch.h"
#include "program_fixture.h"

namespace vespian {
namespace {

using testing::ModalCloser;

constexpr char kNotAvailable[] = "功能尚未提供";

class CommandSweepTest : public testing::ProgramFixture {
protected:
    // The texts asked since the last call that say a command is not available.
    std::vector<std::string> notices() {
        std::vector<std::string> found;
        const std::vector<std::string> texts = prompts.texts();
        for (size_t i = seen_; i < texts.size(); ++i) {
            if (texts[i].find(kNotAvailable) != std::string::npos) found.push_back(texts[i]);
        }
        seen_ = texts.size();
        return found;
    }
    void showView(ViewMode view) {
        state().measurement.selectView(view);
        window()->viewArea()->showToolbarOfView();
        window()->viewArea()->redraw();
        QApplication::processEvents();
    }
    void settle() { QApplication::processEvents(); }

    size_t seen_ = 0;
};

TEST_F(CommandSweepTest, NoHandledCommandAnswersThatItIsNotAvailableInAnyView) {
    start(0.0001);
    prompts.clear();
    ModalCloser closer;
    std::vector<std::string> failures;
    int dispatched = 0;
    for (ViewMode view : {ViewMode::Trace, ViewMode::Report, ViewMode::BetList}) {
        for (const CommandEntry& entry : commandTable()) {
            if (entry.id == kCmdExit) continue;
            ASSERT_TRUE(isHandledCommand(entry.id));
            showView(view);
            window()->dispatch(entry.id);
            ++dispatched;
            settle();
            for (const std::string& text : notices()) {
                failures.push_back(std::to_string(entry.id) + " in view " + std::to_string(static_cast<int>(view)) +
                                   ": " + text);
            }
        }
    }
    EXPECT_GT(dispatched, 3 * 30);
    // The windows the commands opened were there and were closed, not skipped.
    for (const char* title : {"设置", "导出数据", "关于"}) {
        EXPECT_TRUE(std::any_of(closer.titles().begin(), closer.titles().end(),
                                [&](const QString& t) { return t.contains(QString::fromUtf8(title)); }))
            << title << " in " << closer.titles().join(",").toStdString();
    }
    EXPECT_TRUE(failures.empty()) << [&] {
        std::string all;
        for (const std::string& f : failures) all += f + "\n";
        return all;
    }();
    // The window is still there and answers.
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());

    // Exit last: the save question's dialog closed by the watcher calls it off.
    window()->dispatch(kCmdExit);
    settle();
    EXPECT_TRUE(notices().empty());
}

TEST_F(CommandSweepTest, CommandsOutsideTheTableAreNotDispatched) {
    start(0.0001);
    prompts.clear();
    // Menu items the window leaves without a handler stay silent rather than answering.
    for (const MenuItem* item : menuCommandItems()) {
        if (isHandledCommand(item->commandId)) continue;
        window()->dispatch(item->commandId);
    }
    window()->dispatch(0);
    window()->dispatch(-1);
    window()->dispatch(999999);
    settle();
    EXPECT_TRUE(notices().empty());
}

TEST_F(CommandSweepTest, EveryViewButtonOfEveryViewHasItsHandler) {
    start(0.0001);
    prompts.clear();
    ModalCloser closer;
    std::vector<std::string> failures;
    for (ViewMode view : {ViewMode::Trace, ViewMode::Report, ViewMode::BetList}) {
        for (bool page : {false, true}) {
            if (page && view != ViewMode::BetList) continue;
            const ViewButtonRange range = viewButtonRange(view, page);
            for (int32_t button = range.first; button <= range.last; ++button) {
                showView(view);
                window()->viewButtonPressed(button);
                settle();
                for (const std::string& text : notices()) failures.push_back(std::to_string(button) + ": " + text);
            }
        }
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " first: " << (failures.empty() ? "" : failures.front());
}

}  // namespace
}  // namespace vespian

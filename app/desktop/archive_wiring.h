#pragma once
// The archive's commands in the menu 文件: "档案查询..." (find archived runs, open one, follow a
// result's trend), "导出运行数据..." (the open export of the trace shown) and "全谱重新识峰..."
// (the recogniser over the whole trace, its evaluation archived with the settings it used).

class QAction;

namespace vespian {

class MainWindow;
class Prompts;
struct ProgramState;

struct ArchiveActions {
    QAction* find = nullptr;
    QAction* exportRun = nullptr;
    QAction* reevaluate = nullptr;
};

ArchiveActions installArchiveMenu(MainWindow& window, ProgramState& state, Prompts& prompts);

// The commands themselves (the menu's, and for tests).
void openArchiveFind(MainWindow& window, ProgramState& state, Prompts& prompts);
bool exportShownRun(MainWindow& window, ProgramState& state, Prompts& prompts);
void reevaluateTrace(MainWindow& window, ProgramState& state);

}  // namespace vespian

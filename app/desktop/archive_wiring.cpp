#include "app/desktop/archive_wiring.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>

#include "app/desktop/main_window.h"
#include "app/desktop/reevaluation_dialog.h"
#include "app/program_state.h"
#include "app/trace_reevaluation.h"
#include "archive/desktop/archive_find_window.h"
#include "archive/run_export.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

constexpr char kNoArchiveText[] = "存档没有打开，请看“报警与事件记录”";

QMenu* fileMenu(MainWindow& window) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->menu() != nullptr && action->text().startsWith("文件")) return action->menu();
    }
    return nullptr;
}

}  // namespace

void openArchiveFind(MainWindow& window, ProgramState& state, Prompts& prompts) {
    Archive* archive = state.archiving.archive();
    if (archive == nullptr) {
        prompts.message("档案查询", kNoArchiveText, PromptIcon::Information);
        return;
    }
    ArchiveFindWindow find(&window, *archive, [&window](const std::string& path) { return window.loadTrace(path); });
    find.exec();
}

bool exportShownRun(MainWindow& window, ProgramState& state, Prompts& prompts) {
    Archive* archive = state.archiving.archive();
    const std::string& trace = state.archiving.tracePath();
    if (archive == nullptr || trace.empty()) {
        prompts.message("导出运行数据", archive == nullptr ? kNoArchiveText : "请先保存或打开谱图文件，再导出它的运行数据",
                        PromptIcon::Information);
        return false;
    }
    const std::string stem = std::filesystem::path(trace).stem().string();
    const std::optional<std::string> folder =
        prompts.saveFileName({"导出运行数据(文件夹)", "文件夹 (*)", "*", state.dataFolder, stem + "-export"});
    if (!folder) return false;
    const RunExport written = exportRun(*archive, trace, *folder, kProgramTitle);
    if (!written.ok) {
        prompts.message("错误", written.message, PromptIcon::Error);
        return false;
    }
    SaveFacts facts;
    facts.kind = SaveKind::Export;
    facts.path = (std::filesystem::path(*folder) / "manifest.json").string();
    facts.traceSha256 = written.traceSha256;
    window.showArchiveNotice(state.archiving.saved(std::move(facts)));
    prompts.message("导出运行数据", "运行数据已导出到‘" + written.folder + "’", PromptIcon::Information);
    return true;
}

void reevaluateTrace(MainWindow& window, ProgramState& state) {
    const Chromatogram& trace = *state.chromatogram;
    const int32_t n = trace.pointCount();
    std::vector<FoundPeak> peaks = recognisePeaks(trace.signalMv(), n, state.settings.peak);
    // The evaluation goes beside the earlier ones, with the settings it used; the trace stays.
    SaveFacts facts;
    facts.kind = SaveKind::Evaluation;
    facts.parameters = reevaluationParameters(state.settings.peak, n);
    facts.results = reevaluationResults(peaks);
    window.showArchiveNotice(state.archiving.saved(std::move(facts)));
    ReevaluationDialog dialog(&window, std::move(peaks), window.pickHandler());
    dialog.exec();
}

ArchiveActions installArchiveMenu(MainWindow& window, ProgramState& state, Prompts& prompts) {
    ArchiveActions actions;
    QMenu* menu = fileMenu(window);
    if (menu == nullptr) return actions;
    // Before the menu's last group (exit), after its own file commands.
    QAction* before = menu->actions().isEmpty() ? nullptr : menu->actions().last();
    QAction* separator = menu->insertSeparator(before);
    auto add = [&](const char* text, const char* name, auto handler) {
        auto* action = new QAction(QString::fromUtf8(text), menu);
        action->setObjectName(name);
        menu->insertAction(separator, action);
        QObject::connect(action, &QAction::triggered, &window, handler);
        return action;
    };
    actions.find = add("档案查询...", "archiveFind", [&window, &state, &prompts] { openArchiveFind(window, state, prompts); });
    actions.exportRun =
        add("导出运行数据...", "archiveExportRun", [&window, &state, &prompts] { exportShownRun(window, state, prompts); });
    actions.reevaluate = add("全谱重新识峰...", "archiveReevaluate", [&window, &state] { reevaluateTrace(window, state); });
    return actions;
}

}  // namespace vespian

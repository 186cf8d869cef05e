#include "app/desktop/evaluation_wiring.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>

#include "analysis/bet_record_choice.h"
#include "analysis/desktop/bet_lsq_panel.h"
#include "analysis/desktop/kissinger_window.h"
#include "analysis/desktop/run_overlay_window.h"
#include "analysis/desktop/titration_uptake_panel.h"
#include "analysis/desktop/tp_evaluation_panel.h"
#include "app/desktop/main_window.h"
#include "app/program_state.h"
#include "app/save_facts.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

constexpr char kNoTraceText[] = "当前报告没有谱图数据：请先应用一段谱图或打开报告文件。";

bool currentReportHasTrace(const ProgramState& state) { return state.report && state.report->header().reportPointCount >= 2; }

bool currentReportFileExists(const ProgramState& state) {
    std::error_code error;
    return !state.reportPath.empty() && std::filesystem::is_regular_file(state.reportPath, error);
}

}  // namespace

EvaluationExport evaluationExportFor(MainWindow& window, ProgramState& state, bool ofTraceShown) {
    EvaluationExport hook;
    if (ofTraceShown) hook.traceSha256 = state.archiving.traceSha256();
    hook.written = [&window, &state, ofTraceShown](const std::string& path, std::span<const ResultLine> lines,
                                                   std::span<const PlausibilityFlag> flags,
                                                   std::span<const EvaluationParameter> parameters) {
        SaveFacts facts = evaluationExportFacts(path, lines, flags, parameters);
        facts.ofTraceShown = ofTraceShown;
        window.showArchiveNotice(state.archiving.saved(std::move(facts)));
    };
    return hook;
}

void openPeakEvaluation(MainWindow& parent, ProgramState& state, Prompts& prompts) {
    if (!currentReportHasTrace(state)) {
        prompts.message("峰解析", kNoTraceText, PromptIcon::Information);
        return;
    }
    TpEvaluationPanel panel(&parent, *state.report, prompts, state.dataFolder);
    panel.setEvaluationExport(evaluationExportFor(parent, state));
    panel.exec();
}

void openTitrationUptake(MainWindow& parent, ProgramState& state, Prompts& prompts) {
    if (!currentReportHasTrace(state)) {
        prompts.message("脉冲吸附量", kNoTraceText, PromptIcon::Information);
        return;
    }
    TitrationUptakePanel panel(&parent, *state.report, prompts, state.dataFolder);
    panel.setEvaluationExport(evaluationExportFor(parent, state));
    panel.exec();
}

void openKissinger(MainWindow& parent, ProgramState& state, Prompts& prompts) {
    KissingerWindow window(&parent, prompts, state.dataFolder);
    window.setEvaluationExport(evaluationExportFor(parent, state, false));
    // The current report file is one of the runs when it has a Tm to choose.
    if (currentReportFileExists(state) && state.report && state.report->header().tmCount > 0) {
        window.addRunFile(state.reportPath);
    }
    window.exec();
}

void openRunOverlay(MainWindow& parent, ProgramState& state, Prompts& prompts) {
    RunOverlayWindow window(&parent, prompts, state.dataFolder);
    if (currentReportFileExists(state)) window.addRunFile(state.reportPath);
    window.exec();
}

void openBetLeastSquares(MainWindow& parent, ProgramState& state, Prompts& prompts) {
    int32_t index = -1;
    if (state.database) {
        const ReportTable& reports = state.database->reports();
        index = betRecordForEvaluation(reports, listedBetRecord(reports, state.listKind, state.betDetail, state.selectedRow));
    }
    if (index < 0) {
        prompts.message("BET 最小二乘", "数据库中没有至少含两个测量点的BET报告。", PromptIcon::Information);
        return;
    }
    BetLsqPanel panel(&parent, state.database->reports().records[index], state.dataFolder);
    panel.exec();
}

QMenu* installEvaluationMenu(MainWindow& window, ProgramState& state, Prompts& prompts) {
    // Alt+V is the display menu's; the menu stands before help, which stays last.
    auto* menu = new QMenu("评价(&A)", window.menuBar());
    QAction* help = nullptr;
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text().startsWith("帮助")) help = action;
    }
    window.menuBar()->insertMenu(help, menu);
    menu->setObjectName("evaluationMenu");
    struct Entry {
        const char* text;
        const char* name;
        const char* keys;
        void (*open)(MainWindow&, ProgramState&, Prompts&);
    };
    const Entry entries[] = {{"峰解析...", "evaluationPeaks", "Ctrl+Shift+F", &openPeakEvaluation},
                             {"动力学分析...", "evaluationKissinger", "Ctrl+Shift+K", &openKissinger},
                             {"谱图叠加...", "evaluationOverlay", "Ctrl+Shift+O", &openRunOverlay},
                             {"BET 最小二乘...", "evaluationBet", "Ctrl+Shift+B", &openBetLeastSquares},
                             {"脉冲吸附量...", "evaluationTitration", "Ctrl+Shift+U", &openTitrationUptake}};
    for (const Entry& e : entries) {
        QAction* action = menu->addAction(QString::fromUtf8(e.text));
        action->setObjectName(e.name);
        action->setShortcut(QKeySequence(e.keys));
        auto open = e.open;
        QObject::connect(action, &QAction::triggered, &window,
                         [&window, &state, &prompts, open] { open(window, state, prompts); });
    }
    return menu;
}

}  // namespace vespian

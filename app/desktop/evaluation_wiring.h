#pragma once
// The menu "评价" of the main window: the evaluations beside the written reports, each opening
// its window with the current report or record where one applies.
//   "峰解析..."          the evaluation panel over the current test report
//   "Kissinger 活化能..." runs at several heating rates (the current report file added first)
//   "谱图叠加..."        saved runs over one temperature axis (the current report file added first)
//   "BET 最小二乘..."    the newest surface-area report of the open database
//   "脉冲吸附量..."      pulse by pulse over the current titration report

#include "analysis/evaluation_footer.h"

class QMenu;

namespace vespian {

class MainWindow;
class Prompts;
struct ProgramState;

// Adds the menu after the window's own menus; returns it (its actions are named
// "evaluationPeaks", "evaluationKissinger", "evaluationOverlay", "evaluationBet",
// "evaluationTitration").
QMenu* installEvaluationMenu(MainWindow& window, ProgramState& state, Prompts& prompts);

// What each entry does, modal over `parent`.
void openPeakEvaluation(MainWindow& parent, ProgramState& state, Prompts& prompts);
void openKissinger(MainWindow& parent, ProgramState& state, Prompts& prompts);
void openRunOverlay(MainWindow& parent, ProgramState& state, Prompts& prompts);
void openBetLeastSquares(MainWindow& parent, ProgramState& state, Prompts& prompts);
void openTitrationUptake(MainWindow& parent, ProgramState& state, Prompts& prompts);

// An evaluation panel's export hook: the hash of the trace shown for its footer, and each export
// registered in the archive as an evaluation with its parameters. `ofTraceShown` false: the
// evaluation is of saved runs (the kinetics window), registered without a trace.
EvaluationExport evaluationExportFor(MainWindow& window, ProgramState& state, bool ofTraceShown = true);

}  // namespace vespian

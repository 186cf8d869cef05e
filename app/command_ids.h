#pragma once
// Every command id the main window knows, and its private message, timer and control ids. The
// numbers are the program's resource ids; stored settings, the menu and the toolbars name
// commands by them, so they never change.

#include <cstdint>

namespace vespian {

// --- File -----------------------------------------------------------------------------------
inline constexpr int32_t kCmdNewDatabase = 32771;
inline constexpr int32_t kCmdOpen = 32772;            // trace file in the trace view, else report file
inline constexpr int32_t kCmdSave = 32773;            // likewise
inline constexpr int32_t kCmdPrint = 32775;
inline constexpr int32_t kCmdSaveAsText = 32817;
inline constexpr int32_t kCmdExportData = 32820;
inline constexpr int32_t kCmdExit = 105;
inline constexpr int32_t kCmdAbout = 104;

// --- Measurement state --------------------------------------------------------------------
inline constexpr int32_t kCmdComparisonMethod = 32778;
inline constexpr int32_t kCmdBetMethod = 32779;
inline constexpr int32_t kCmdZeroSignal = 32780;
inline constexpr int32_t kCmdStartMeasurement = 32781;
inline constexpr int32_t kCmdStopMeasurement = 32804;
inline constexpr int32_t kCmdCalibration = 32806;     // toggles the adsorbed-amount calibration
inline constexpr int32_t kCmdRestoreSignal = 33780;

// --- Trace view tools and scale -----------------------------------------------------------
inline constexpr int32_t kCmdManualPeak = 32783;
inline constexpr int32_t kCmdDeleteStretch = 32801;
inline constexpr int32_t kCmdReadout = 33782;         // coordinate readout
inline constexpr int32_t kCmdClearTrace = 33785;
inline constexpr int32_t kCmdInvertPolarity = 33786;
inline constexpr int32_t kCmdZoomIn = 32784;
inline constexpr int32_t kCmdZoomOut = 32785;
inline constexpr int32_t kCmdZoomBox = 32786;
inline constexpr int32_t kCmdXAxisZoomIn = 32787;     // view button 0
inline constexpr int32_t kCmdXAxisZoomOut = 32788;    // view button 1
inline constexpr int32_t kCmdYAxisZoomIn = 32789;     // view button 2
inline constexpr int32_t kCmdYAxisZoomOut = 32790;    // view button 3
inline constexpr int32_t kCmdRestoreRange = 32805;    // view button 4

// --- Views and lists ------------------------------------------------------------------------
inline constexpr int32_t kCmdTraceView = 32792;
inline constexpr int32_t kCmdReportView = 32793;
inline constexpr int32_t kCmdShowStandards = 32796;
inline constexpr int32_t kCmdShowComparisonSamples = 32797;
inline constexpr int32_t kCmdShowBetSamples = 32800;
inline constexpr int32_t kCmdOptionOff = 32802;       // radio pair with kCmdOptionOn
inline constexpr int32_t kCmdOptionOn = 32803;
inline constexpr int32_t kCmdClearDeadVolumes = 32807;
inline constexpr int32_t kCmdClearStandards = 32809;
inline constexpr int32_t kCmdClearComparisonRecords = 32810;
inline constexpr int32_t kCmdClearBetRecords = 32811;
inline constexpr int32_t kCmdClearPoreRecords = 32812;

// --- Instrument control ---------------------------------------------------------------------
inline constexpr int32_t kCmdInjector = 32813;
inline constexpr int32_t kCmdFlowSetting = 32816;
inline constexpr int32_t kCmdGasPath = 32818;
inline constexpr int32_t kCmdTemperatureProgram = 32819;
inline constexpr int32_t kCmdTemperatureProgramAlt = 32821;  // same dialog as kCmdTemperatureProgram
inline constexpr int32_t kCmdSettings = 32791;
inline constexpr int32_t kCmdEventList = 34101;  // the run's alarms and notices
inline constexpr int32_t kCmdNewMethod = 34102;   // the method editor on a shipped template
inline constexpr int32_t kCmdOpenMethod = 34103;  // the method editor on a method file
inline constexpr int32_t kCmdMethodRun = 34104;   // the run view of the method running

// --- Wizard and help pictures ---------------------------------------------------------------
inline constexpr int32_t kCmdWizardTpd = 32824;
inline constexpr int32_t kCmdWizardTpo = 32825;
inline constexpr int32_t kCmdWizardTpr = 32826;
inline constexpr int32_t kCmdWizardTitration = 32827;
inline constexpr int32_t kCmdGuideTpd = 1025;
inline constexpr int32_t kCmdGuideTpo = 1026;
inline constexpr int32_t kCmdGuideTpr = 1027;
inline constexpr int32_t kCmdGuideTitration = 1028;
inline constexpr int32_t kCmdRearPanelView = 32822;
inline constexpr int32_t kCmdRightPanelView = 32823;

// --- Private window messages ----------------------------------------------------------------
inline constexpr int32_t kMsgViewButton = 5020;       // a drawn view button was pressed (0..20)

// --- Main-window timers -------------------------------------------------------------------
inline constexpr int32_t kTimerDisplay = 6200;            // 100 ms: takes over new points
inline constexpr int32_t kTimerLinkWatchdog = 6250;       // 100 ms
inline constexpr int32_t kTimerFlowReadout = 7010;        // 100 ms
inline constexpr int32_t kTimerAlarmPoll = 5050;          // 1000 ms first, then 100 ms
inline constexpr int32_t kTimerLinkStatus = 9999;         // 2000 ms
inline constexpr int32_t kTimerProgramAbort = 9998;       // 100 ms one shot: forced programme stop
inline constexpr int32_t kTimerAutoScrollResume = 6260;   // 3000 ms one shot
inline constexpr int32_t kTimerHover = 1111;              // 100 ms
inline constexpr int32_t kTimerBanner = 6100;             // 60 ms
inline constexpr int32_t kTimerAdsorptionMinutes = 6120;  // 60 s
inline constexpr int32_t kTimerDesorbInterval = 6130;     // 60 s

inline constexpr int32_t kTimerDisplayMs = 100;
inline constexpr int32_t kTimerLinkWatchdogMs = 100;
inline constexpr int32_t kTimerFlowReadoutMs = 100;
inline constexpr int32_t kTimerAlarmPollFirstMs = 1000;
inline constexpr int32_t kTimerAlarmPollMs = 100;
inline constexpr int32_t kTimerLinkStatusMs = 2000;
inline constexpr int32_t kTimerProgramAbortMs = 100;
inline constexpr int32_t kTimerAutoScrollResumeMs = 3000;
inline constexpr int32_t kTimerHoverMs = 100;
inline constexpr int32_t kTimerBannerMs = 60;
inline constexpr int32_t kTimerMinuteMs = 60'000;

// --- Controls of the main window ------------------------------------------------------------
inline constexpr int32_t kControlStatusBar = 6000;
inline constexpr int32_t kControlMainToolbar = 6300;
inline constexpr int32_t kControlListToolbar = 6320;  // toolbars B and C share this id
inline constexpr int32_t kMainMenu = 129;

}  // namespace vespian

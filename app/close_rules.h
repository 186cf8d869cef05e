#pragma once
// What closing the main window does: the close button is refused while the furnace programme
// runs (the "退出" command closes regardless), and a trace that no file holds is asked about
// first — saved, or let go — so that nothing recorded is lost by a click.

#include <string_view>

namespace vespian {

inline constexpr std::string_view kProgrammeRunningCaption = "警告";
inline constexpr std::string_view kProgrammeRunningText = "程序升温正在运行中，请将程序升温停止后，再关闭软件!!";
inline constexpr std::string_view kUnsavedTraceCaption = "提示";
inline constexpr std::string_view kUnsavedTraceQuestion = "谱图尚未保存，退出前是否保存谱图？";

enum class CloseStep {
    RefuseProgrammeRunning,  // show the warning, keep running
    AskToSaveTrace,          // Yes: save (a cancelled or failed save keeps the window); No: close
    Close,
};

// `exitCommand`: the "退出" command rather than the window's close button.
CloseStep closeStep(bool exitCommand, bool programmeRunning, bool unsavedTrace);

// After the question: whether the window closes. `saved` tells whether the save went through.
bool closesAfterQuestion(bool answeredYes, bool saved);

}  // namespace vespian

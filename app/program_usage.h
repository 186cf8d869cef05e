#pragma once
// The window program's command line beyond the analyser's source: "--help" (or "-h") asks for
// the options, which are printed to the terminal before any window or display is needed.

#include <string>
#include <vector>

namespace vespian {

bool asksForHelp(const std::vector<std::string>& args);

// "用法: vespian2002 [仪器来源] ..." with every option.
std::string programUsage();

}  // namespace vespian

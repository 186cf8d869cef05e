#include "app/program_usage.h"

#include <algorithm>

#include "app/link_options.h"

namespace vespian {

bool asksForHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

std::string programUsage() {
    return "用法: vespian2002 [仪器来源]\n"
           "分析仪的控制与评价程序：记录谱图，控制流量、阀门、进样器和炉温程序，评价测试报告。\n" +
           linkOptionsUsage() + "  --help               显示本说明\n";
}

}  // namespace vespian

#include "app/report_options.h"

#include <algorithm>
#include <charconv>

namespace vespian {

namespace {

bool parseSide(const std::string& text, int32_t* side) {
    int32_t value = 0;
    const auto [rest, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc() || rest != text.data() + text.size() || value < kMinPictureSide ||
        value > kMaxPictureSide) {
        return false;
    }
    *side = value;
    return true;
}

bool takesValue(const std::string& option) {
    return option == "--csv" || option == "--png" || option == "--width" || option == "--height";
}

}  // namespace

bool parseReportOptions(const std::vector<std::string>& args, ReportOptions* options, std::string* error) {
    *options = ReportOptions{};
    if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; })) {
        options->help = true;
        return true;
    }
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (takesValue(arg)) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                *error = "选项" + arg + "后面缺少参数\noption " + arg + " needs a value";
                return false;
            }
            const std::string& value = args[++i];
            if (arg == "--csv") {
                options->csvPath = value;
            } else if (arg == "--png") {
                if (value == kStandardOutput) {
                    *error = "PNG图片不能写到标准输出，请给出文件名\nthe PNG picture needs a file name, not standard output";
                    return false;
                }
                options->pngPath = value;
            } else if (!parseSide(value, arg == "--width" ? &options->width : &options->height)) {
                *error = "图片尺寸\"" + value + "\"必须是" + std::to_string(kMinPictureSide) + "到" +
                         std::to_string(kMaxPictureSide) + "之间的整数\npicture size \"" + value +
                         "\" must be a whole number from " + std::to_string(kMinPictureSide) + " to " +
                         std::to_string(kMaxPictureSide);
                return false;
            }
        } else if (arg == "--json") {
            options->json = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            *error = "不能识别的选项\"" + arg + "\"\nunknown option \"" + arg + "\"";
            return false;
        } else {
            // "--" lets a file name begin with a minus sign.
            const std::string& name = arg == "--" && i + 1 < args.size() ? args[++i] : arg;
            if (!options->input.empty()) {
                *error = "只能给出一个输入文件\nonly one input file may be given";
                return false;
            }
            options->input = name;
        }
    }
    if (options->input.empty()) {
        *error = "缺少输入文件\nno input file given";
        return false;
    }
    if (options->json && options->csvPath == kStandardOutput) {
        *error = "--json 和 --csv - 都要写标准输出，只能选一个\n--json and --csv - both write to standard output: choose one";
        return false;
    }
    return true;
}

std::string reportUsage() {
    return "用法: vespian-report 文件 [--json] [--csv 输出文件|-] [--png 输出文件] [--width 宽] [--height 高]\n"
           "读取 Vespian2002 的文件，显示摘要，并可输出 CSV 表格和 PNG 图片。\n"
           "  文件.lne             谱图文件：点数、时长、信号和温度的范围；CSV 和 PNG\n"
           "  --json               摘要以 JSON 格式输出，供脚本使用\n"
           "  --csv 文件|-         谱图的 CSV 表格（时间 s、信号 mV、温度 ℃，第一行是列名）；- 为标准输出\n"
           "  --png 文件           谱图的 PNG 图片（整条谱图）\n"
           "  --width 宽, --height 高  图片的像素尺寸，默认 1200 × 600（320 到 8000）\n"
           "  --help, -h           显示本说明\n"
           "返回值: 0 成功；1 命令行有误；2 输入文件不存在、无法读取或不能接受；3 输出文件无法写入\n"
           "\n"
           "Usage: vespian-report FILE [--json] [--csv OUT|-] [--png OUT] [--width W] [--height H]\n"
           "Reads a Vespian2002 file, prints its summary and writes CSV tables and PNG pictures.\n"
           "  FILE.lne             trace file: point count, duration, signal and temperature ranges; CSV and PNG\n"
           "  --json               print the summary as JSON, for scripts\n"
           "  --csv OUT|-          the trace as CSV (time_s, signal_mV, temperature_C, one header row);\n"
           "                       - writes it to standard output in place of the summary\n"
           "  --png OUT            a PNG picture of the whole trace\n"
           "  --width W, --height H  picture size in pixels, default 1200 x 600 (320 to 8000)\n"
           "  --help, -h           show this text\n"
           "Exit status: 0 done; 1 wrong command line; 2 input file missing, unreadable or refused;\n"
           "3 an output file could not be written\n";
}

}  // namespace vespian

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
    return option == "--csv" || option == "--png" || option == "--width" || option == "--height" ||
           option == "--pdf" || option == "--page" || option == "--table" || option == "--letterhead" ||
           option == "--evaluate" || option == "--uncertainties";
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
            } else if (arg == "--pdf") {
                if (value == kStandardOutput) {
                    *error = "PDF文件不能写到标准输出，请给出文件名\nthe PDF needs a file name, not standard output";
                    return false;
                }
                options->pdfPath = value;
            } else if (arg == "--page") {
                options->page = value;
            } else if (arg == "--table") {
                options->table = value;
            } else if (arg == "--letterhead") {
                options->letterhead = value;
            } else if (arg == "--evaluate") {
                options->evaluate = value;
            } else if (arg == "--uncertainties") {
                options->uncertaintiesPath = value;
            } else if (!parseSide(value, arg == "--width" ? &options->width : &options->height)) {
                *error = "图片尺寸\"" + value + "\"必须是" + std::to_string(kMinPictureSide) + "到" +
                         std::to_string(kMaxPictureSide) + "之间的整数\npicture size \"" + value +
                         "\" must be a whole number from " + std::to_string(kMinPictureSide) + " to " +
                         std::to_string(kMaxPictureSide);
                return false;
            }
        } else if (arg == "--json") {
            options->json = true;
        } else if (arg == "--fit-order") {
            options->fitOrder = true;
        } else if (arg == "--kinetics") {
            while (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-') options->kinetics.push_back(args[++i]);
            if (options->kinetics.empty()) {
                *error = "选项--kinetics后面缺少谱图文件\noption --kinetics needs trace files";
                return false;
            }
        } else if (arg == "--bet-auto") {
            int32_t number = 0;
            const std::string record = i + 2 < args.size() ? args[i + 2] : std::string();
            const auto [rest, failure] = std::from_chars(record.data(), record.data() + record.size(), number);
            if (i + 2 >= args.size() || args[i + 1].empty() || record.empty() || failure != std::errc() ||
                rest != record.data() + record.size()) {
                *error = "选项--bet-auto后面需要数据库文件和报告编号\noption --bet-auto needs a database and a report number";
                return false;
            }
            options->betAutoDatabase = args[i + 1];
            options->betAutoRecord = number;
            i += 2;
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
    if (options->evaluationMode()) {
        const int modes = (options->evaluate.empty() ? 0 : 1) + (options->kinetics.empty() ? 0 : 1) +
                          (options->betAutoDatabase.empty() ? 0 : 1);
        if (modes > 1 || !options->input.empty()) {
            *error = "--evaluate、--kinetics、--bet-auto 只能选一个，且不另给输入文件\n"
                     "--evaluate, --kinetics and --bet-auto: choose one, without another input file";
            return false;
        }
        return true;
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
           "                     [--pdf 输出文件] [--page tp|titration|desorption] [--letterhead 文件]\n"
           "                     [--table reports|samples|standards]\n"
           "      vespian-report --evaluate 文件 | --kinetics 谱图… [--fit-order] | --bet-auto 数据库 编号\n"
           "                     [--uncertainties 文件]\n"
           "读取 Vespian2002 的文件，显示摘要，并可输出 CSV 表格、PNG 图片和 PDF 打印页。\n"
           "  文件.lne             谱图文件：点数、时长、信号和温度的范围；CSV 和 PNG\n"
           "  文件.care            报告文件：样品、重量、Tm值、滴定和脱附量的结果；谱图的 CSV；打印页的 PDF\n"
           "  文件.03D             数据库文件：各列表的记录数和 BET 结果；一个列表的 CSV；BET 报告页的 PDF\n"
           "  --json               摘要以 JSON 格式输出，供脚本使用\n"
           "  --csv 文件|-         CSV 表格（第一行是列名）；- 为标准输出，代替摘要\n"
           "                       谱图和报告文件：时间 s、信号 mV、温度 ℃；数据库：--table 所选的列表\n"
           "  --png 文件           谱图的 PNG 图片（整条谱图）\n"
           "  --width 宽, --height 高  图片的像素尺寸，默认 1200 × 600（320 到 8000）\n"
           "  --pdf 文件           打印页的 PDF（A4）：报告文件为 --page 所选的报告页；\n"
           "                       数据库为选中的 BET 报告，一份一页（没有选中时为全部报告）\n"
           "  --page 页            报告文件的报告页：tp 程序升温（默认）、titration 氢氧滴定、desorption 脱附量\n"
           "  --letterhead 文件    报告页的信笺（ReportLetterhead.ini），默认不印\n"
           "  --table 列表         数据库的 CSV 列表：reports BET报告（默认）、samples 样品、standards 标样；\n"
           "                       有选中的记录时只输出选中的记录\n"
           "  --help, -h           显示本说明\n"
           "  --evaluate 文件      评价谱图(.lne)或报告(.care)：基线、Tm建议、峰解析、吸附量及不确定度、检查，JSON输出\n"
           "  --kinetics 谱图…     多个升温速率的脱附动力学（各谱图的升温速率由温度读出），JSON输出；\n"
           "                       --fit-order 同时拟合反应级数\n"
           "  --bet-auto 数据库 编号  BET报告的自动范围选择及全部范围的判据，JSON输出\n"
           "  --uncertainties 文件 输入量的不确定度（Uncertainty.ini），没有时用默认值\n"
           "返回值: 0 成功；1 命令行有误；2 输入文件不存在、无法读取或不能接受；3 输出文件无法写入\n"
           "\n"
           "Usage: vespian-report FILE [--json] [--csv OUT|-] [--png OUT] [--width W] [--height H]\n"
           "                      [--pdf OUT] [--page tp|titration|desorption] [--letterhead FILE]\n"
           "                      [--table reports|samples|standards]\n"
           "       vespian-report --evaluate FILE | --kinetics A.lne … [--fit-order] | --bet-auto DB NUMBER\n"
           "                      [--uncertainties FILE]\n"
           "Reads a Vespian2002 file, prints its summary and writes CSV tables, PNG pictures and the\n"
           "printed pages as PDF.\n"
           "  FILE.lne             trace file: point count, duration, signal and temperature ranges; CSV and PNG\n"
           "  FILE.care            report file: sample, weight, Tm values, titration and desorption results;\n"
           "                       its trace as CSV; its printed page as PDF\n"
           "  FILE.03D             record database: records in each list and the BET results; one list as\n"
           "                       CSV; the BET report pages as PDF\n"
           "  --json               print the summary as JSON, for scripts\n"
           "  --csv OUT|-          CSV with one header row; - writes it to standard output in place of the\n"
           "                       summary. Trace and report files: time_s, signal_mV, temperature_C;\n"
           "                       databases: the list --table names\n"
           "  --png OUT            a PNG picture of the whole trace\n"
           "  --width W, --height H  picture size in pixels, default 1200 x 600 (320 to 8000)\n"
           "  --pdf OUT            the printed pages as PDF (A4): for a report file the page --page names;\n"
           "                       for a database the selected BET reports, one a page (all when none is selected)\n"
           "  --page PAGE          the report file's page: tp temperature-programmed (default),\n"
           "                       titration pulse titration, desorption desorption amount\n"
           "  --letterhead FILE    the letterhead (ReportLetterhead.ini) on the report pages; none by default\n"
           "  --table TABLE        the database's list for CSV: reports BET reports (default), samples,\n"
           "                       standards; only the selected records when some are selected\n"
           "  --help, -h           show this text\n"
           "  --evaluate FILE      evaluate a trace (.lne) or report (.care): baseline, Tm proposals,\n"
           "                       deconvolution, amounts with their uncertainty, checks; JSON\n"
           "  --kinetics A.lne …   desorption kinetics over several heating rates (each read from its\n"
           "                       temperature), JSON; --fit-order fits the reaction order too\n"
           "  --bet-auto DB NUMBER the automatic BET range of a report and every range's criteria; JSON\n"
           "  --uncertainties FILE the stated input uncertainties (Uncertainty.ini); defaults otherwise\n"
           "Exit status: 0 done; 1 wrong command line; 2 input file missing, unreadable or refused;\n"
           "3 an output file could not be written\n";
}

}  // namespace vespian

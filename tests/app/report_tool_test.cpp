#include "app/report_tool.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/report_options.h"
#include "support/test_files.h"
#include "tests/app/report_tool_run.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"
#include "trace/trace_picture.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TestFolder;
using testing::writeBytes;

using testing::ToolRun;

// Records what it was asked to draw, and writes a stand-in file (or fails when told).
class RecordingPictures final : public TracePictureWriter {
public:
    bool savePng(const std::string& path, const Chromatogram& trace, int32_t width, int32_t height,
                 std::string* error) override {
        calls.push_back({path, trace.pointCount(), width, height});
        if (failWith.empty()) {
            writeBytes(path, "png");
            return true;
        }
        *error = failWith;
        return false;
    }
    struct Call {
        std::string path;
        int32_t points;
        int32_t width, height;
    };
    std::vector<Call> calls;
    std::string failWith;
};

ToolRun run(const std::vector<std::string>& args, TracePictureWriter* pictures = nullptr) {
    return testing::runTool(args, pictures);
}

class ReportTool : public ::testing::Test {
protected:
    // A trace file as the program saves it: 12 points, signal −0.5 .. 2.25 mV, 25 .. 300.5 ℃.
    void SetUp() override {
        auto trace = std::make_unique<Chromatogram>();
        std::vector<float> signal = {0.0f, 0.25f, -0.5f, 1.0f, 2.25f, 1.5f, 0.75f, 0.5f, 0.25f, 0.125f, 0.0f, 0.1f};
        std::vector<float> temperature;
        for (size_t i = 0; i < signal.size(); ++i) temperature.push_back(25.0f + 25.0f * static_cast<float>(i));
        temperature.back() = 300.5f;
        trace->replace(signal.data(), temperature.data(), static_cast<int32_t>(signal.size()));
        ASSERT_TRUE(saveTraceFile(lne, *trace).ok);
    }

    TestFolder folder{"report-tool"};
    std::string lne = folder.file("run1.lne");
};

TEST_F(ReportTool, HelpIsInChineseAndEnglish) {
    for (const char* option : {"--help", "-h"}) {
        const ToolRun r = run({option});
        EXPECT_EQ(r.code, kReportOk);
        EXPECT_NE(r.out.find("用法: vespian-report"), std::string::npos);
        EXPECT_NE(r.out.find("Usage: vespian-report"), std::string::npos);
        EXPECT_NE(r.out.find("--json"), std::string::npos);
        EXPECT_NE(r.out.find("Exit status"), std::string::npos);
        EXPECT_TRUE(r.err.empty());
    }
    // Help wins over everything else on the line.
    EXPECT_EQ(run({"missing.lne", "--bogus", "--help"}).code, kReportOk);
}

TEST_F(ReportTool, SummaryAsTextAndAsJson) {
    const ToolRun text = run({lne});
    ASSERT_EQ(text.code, kReportOk) << text.err;
    EXPECT_EQ(text.out, "文件 file: " + lne +
                            "\n类型 kind: trace\n点数 points: 12\n时长 duration: 2.4 s\n"
                            "信号最小值 signal min: -0.500 mV\n信号最大值 signal max: 2.250 mV\n"
                            "温度最小值 temperature min: 25.0 ℃\n温度最大值 temperature max: 300.5 ℃\n");

    const ToolRun json = run({"--json", lne});
    ASSERT_EQ(json.code, kReportOk) << json.err;
    EXPECT_EQ(json.out, "{\n  \"file\": \"" + lne +
                            "\",\n  \"kind\": \"trace\",\n  \"points\": 12,\n  \"duration_s\": 2.4,\n"
                            "  \"signal_min_mV\": -0.5,\n  \"signal_max_mV\": 2.25,\n"
                            "  \"temperature_min_C\": 25,\n  \"temperature_max_C\": 300.5\n}\n");
}

TEST_F(ReportTool, EmptyTraceHasNoRanges) {
    auto empty = std::make_unique<Chromatogram>();
    ASSERT_TRUE(saveTraceFile(folder.file("empty.lne"), *empty).ok);
    const ToolRun r = run({folder.file("empty.lne"), "--json"});
    ASSERT_EQ(r.code, kReportOk);
    EXPECT_NE(r.out.find("\"points\": 0,"), std::string::npos);
    EXPECT_NE(r.out.find("\"signal_min_mV\": null"), std::string::npos);
    EXPECT_NE(r.out.find("\"temperature_max_C\": null\n}"), std::string::npos);
}

TEST_F(ReportTool, CsvToAFileAndToStandardOutput) {
    const std::string csv = folder.file("run1.csv");
    const ToolRun toFile = run({lne, "--csv", csv});
    ASSERT_EQ(toFile.code, kReportOk) << toFile.err;
    EXPECT_NE(toFile.out.find("点数 points: 12"), std::string::npos);  // the summary still comes
    const std::string written = readBytes(csv);
    EXPECT_EQ(written.substr(0, written.find('\n')), "\xEF\xBB\xBFtime_s,signal_mV,temperature_C");
    std::istringstream lines(written);
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(lines, line)) rows.push_back(line);
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[3], "0.4,-0.5,75");
    EXPECT_EQ(rows[12], "2.2,0.1,300.5");

    const ToolRun toOut = run({lne, "--csv", "-"});
    ASSERT_EQ(toOut.code, kReportOk);
    EXPECT_EQ(toOut.out, written);  // the CSV alone, no summary mixed in
}

TEST_F(ReportTool, PicturesGoThroughTheWriterWithTheAskedSize) {
    RecordingPictures pictures;
    const std::string png = folder.file("run1.png");
    ToolRun r = run({lne, "--png", png}, &pictures);
    ASSERT_EQ(r.code, kReportOk) << r.err;
    ASSERT_EQ(pictures.calls.size(), 1u);
    EXPECT_EQ(pictures.calls[0].path, png);
    EXPECT_EQ(pictures.calls[0].points, 12);
    EXPECT_EQ(pictures.calls[0].width, kDefaultPictureWidth);
    EXPECT_EQ(pictures.calls[0].height, kDefaultPictureHeight);

    r = run({lne, "--png", png, "--width", "800", "--height", "400"}, &pictures);
    ASSERT_EQ(r.code, kReportOk);
    EXPECT_EQ(pictures.calls[1].width, 800);
    EXPECT_EQ(pictures.calls[1].height, 400);

    pictures.failWith = "无法建立‘x’文件\ncannot write the file ‘x’";
    r = run({lne, "--png", png}, &pictures);
    EXPECT_EQ(r.code, kReportOutputFailed);
    EXPECT_NE(r.err.find("cannot write the file"), std::string::npos);
    EXPECT_TRUE(r.out.empty());

    // Without a picture writer the tool says so rather than pretending.
    r = run({lne, "--png", png});
    EXPECT_EQ(r.code, kReportOutputFailed);
    EXPECT_NE(r.err.find("cannot draw pictures"), std::string::npos);
}

TEST_F(ReportTool, MissingUnreadableAndRefusedInputsExitWithTwo) {
    writeBytes(folder / "short.lne", "ab");
    writeBytes(folder / "wrong-size.lne", std::string("\x02\x00\x00\x00", 4) + std::string(12, '\0'));
    writeBytes(folder / "notes.txt", "hello");
    fs::create_directory(folder / "folder.lne");
    // Nobody writes into the pipe: a tool that opened it as a file would wait for ever.
    ASSERT_EQ(::mkfifo(folder.file("pipe.lne").c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* chinese;
        const char* english;
    };
    const Case cases[] = {
        {folder.file("absent.lne"), "找不到文件", "no such file"},
        {folder.file("folder.lne"), "是文件夹", "is a folder"},
        {folder.file("notes.txt"), "不能识别", "unknown kind of file"},
        {folder.file("pipe.lne"), "不是普通文件", "not a regular file"},
        {folder.file("short.lne"), "不是谱图文件：文件太短", "is not a trace file"},
        {folder.file("wrong-size.lne"), "不是谱图文件：文件长度", "is not a trace file"},
    };
    for (const Case& c : cases) {
        const ToolRun r = run({c.path, "--csv", folder.file("out.csv")});
        EXPECT_EQ(r.code, kReportInputRefused) << c.path;
        EXPECT_NE(r.err.find(c.chinese), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.english), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.path), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(fs::exists(folder / "out.csv"));
    }
    // The extension is recognised whatever its case, as files copied from elsewhere have it.
    fs::copy_file(lne, folder / "COPY.LNE");
    EXPECT_EQ(run({folder.file("COPY.LNE")}).code, kReportOk);
}

TEST_F(ReportTool, UnwritableOutputsExitWithThree) {
    const ToolRun r = run({lne, "--csv", folder.file("no/such/folder/out.csv")});
    EXPECT_EQ(r.code, kReportOutputFailed);
    EXPECT_NE(r.err.find("cannot write the file"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
}

TEST_F(ReportTool, CommandLineMistakesExitWithOne) {
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {lne, "--bogus"},
        {lne, lne},
        {lne, "--csv"},
        {lne, "--png", "-"},
        {lne, "--width", "100"},
        {lne, "--height", "9000"},
        {lne, "--width", "12x"},
        {lne, "--json", "--csv", "-"},
        {lne, "--pdf"},
        {lne, "--pdf", "-"},
        {lne, "--page"},
        {lne, "--table", ""},
    };
    for (const auto& args : mistakes) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.code, kReportUsage) << (args.empty() ? "(none)" : args.back());
        EXPECT_NE(r.err.find("--help"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
}

TEST_F(ReportTool, ChoicesOfOtherKindsAreRefusedForATrace) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {lne, "--page", "tp"},
             {lne, "--table", "reports"},
             {lne, "--letterhead", folder.file("ReportLetterhead.ini")},
             {lne, "--pdf", folder.file("trace.pdf")}}) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.code, kReportUsage) << args[1];
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_FALSE(fs::exists(folder.file("trace.pdf")));
}

TEST(ReportOptions, ParsesEveryOptionAndADashedFileName) {
    ReportOptions options;
    std::string error;
    ASSERT_TRUE(parseReportOptions({"--json", "--csv", "a.csv", "--png", "a.png", "--width", "320", "--height",
                                    "8000", "--", "-odd.lne"},
                                   &options, &error))
        << error;
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.csvPath, "a.csv");
    EXPECT_EQ(options.pngPath, "a.png");
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 8000);
    EXPECT_EQ(options.input, "-odd.lne");
    EXPECT_FALSE(options.help);

    ASSERT_TRUE(parseReportOptions({"lab.03D", "--pdf", "bet.pdf", "--table", "samples", "--page", "titration",
                                    "--letterhead", "head.ini"},
                                   &options, &error))
        << error;
    EXPECT_EQ(options.input, "lab.03D");
    EXPECT_EQ(options.pdfPath, "bet.pdf");
    EXPECT_EQ(options.table, "samples");
    EXPECT_EQ(options.page, "titration");
    EXPECT_EQ(options.letterhead, "head.ini");
}

}  // namespace
}  // namespace vespian

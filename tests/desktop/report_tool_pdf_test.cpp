// vespian-report's PDF pages through the real offscreen writer: a report file's page and a
// record database's BET pages as PDF documents, read back with pdftotext and pdfinfo, the first
// page rendered to PNG in the build folder; the JSON summaries parsed back as JSON.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <memory>

#include "app/desktop/offscreen_pdf_writer.h"
#include "app/report_options.h"
#include "files/record_database.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"
#include "tests/app/report_tool_run.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::runTool;
using testing::TestFolder;
using testing::ToolRun;

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool haveTool(const char* name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

// The text as a reader's search sees it.
QString pdfText(const std::string& pdf) { return run("pdftotext", {"-layout", QString::fromStdString(pdf), "-"}); }

int pdfPages(const std::string& pdf) {
    for (const QString& line : run("pdfinfo", {QString::fromStdString(pdf)}).split('\n')) {
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    }
    return -1;
}

QJsonObject parsed(const std::string& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << json;
    return document.object();
}

class ReportToolPdf : public ::testing::Test {
protected:
    TestFolder folder{"report-tool-pdf"};
    OffscreenPdfWriter writer;
};

TEST_F(ReportToolPdf, AReportFileGivesItsPrintedPage) {
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    writeGbkField(h.sampleName, "铂催化剂A");
    writeGbkField(h.heading, "氨气程序升温脱附");
    h.sampleWeightG = 0.1f;
    h.upperTempC = 800.0f;
    h.tmCount = 1;
    h.tmValues[0] = 245.5f;
    h.reportPointCount = 400;
    for (int i = 0; i < 400; ++i) {
        report->signalMv()[i] = 5.0f * std::exp(-0.001f * static_cast<float>((i - 150) * (i - 150)));
        report->temperatureC()[i] = 50.0f + 2.0f * static_cast<float>(i);
    }
    const std::string care = folder.file("catalyst.care");
    ASSERT_TRUE(writeReportFile(care, *report).ok);

    const std::string pdf = folder.file("catalyst.pdf");
    const ToolRun r = runTool({care, "--json", "--pdf", pdf}, nullptr, &writer);
    ASSERT_EQ(r.code, kReportOk) << r.err;
    const QJsonObject json = parsed(r.out);
    EXPECT_EQ(json["kind"].toString(), "report");
    EXPECT_EQ(json["sample_name"].toString(), "铂催化剂A");
    EXPECT_EQ(json["points"].toInt(), 401);  // points 0 .. 400
    ASSERT_EQ(json["tm_C"].toArray().size(), 1);
    EXPECT_DOUBLE_EQ(json["tm_C"].toArray()[0].toDouble(), 245.5);
    EXPECT_TRUE(json["dispersion"].isNull());  // no mass fraction: no dispersion

    EXPECT_EQ(readBytes(pdf).rfind("%PDF", 0), 0u);
    if (!haveTool("pdftotext")) GTEST_SKIP() << "poppler-utils not installed";
    EXPECT_EQ(pdfPages(pdf), 1);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains("CXM-2600化学分析仪数据报告")) << text.toStdString();
    EXPECT_TRUE(text.contains("铂催化剂A")) << text.toStdString();
    EXPECT_TRUE(text.contains("Tm值")) << text.toStdString();
    EXPECT_TRUE(text.contains("检测日期：")) << text.toStdString();
    if (haveTool("pdftoppm")) {
        run("pdftoppm", {"-r", "60", "-png", "-singlefile", QString::fromStdString(pdf),
                         QString(VESPIAN_BUILD_DIR) + "/report_tool_care_page"});
    }
}

TEST_F(ReportToolPdf, ADatabaseGivesOneBetPagePerReport) {
    auto db = std::make_unique<RecordDatabase>();
    for (int i = 0; i < 2; ++i) {
        SurfaceReportRecord& r = db->reports().records[i];
        r.number = i + 1;
        writeGbkField(r.name, i == 0 ? "活性炭" : "氧化铝");
        r.bet_area = 812.5f + static_cast<float>(i);
        r.point_count = 3;
        for (int k = 0; k < 3; ++k) {
            r.rel_pressure[k] = 0.05f + 0.1f * static_cast<float>(k);
            r.volume[k] = 150.0f + 30.0f * static_cast<float>(k);
            r.bet_y[k] = 0.001f + 0.002f * static_cast<float>(k);
        }
        r.in_use = 1;
    }
    db->reports().count = 2;
    const std::string file = folder.file("lab.03D");
    ASSERT_TRUE(saveDatabase(file, *db).ok);

    const std::string pdf = folder.file("bet.pdf");
    const ToolRun r = runTool({file, "--json", "--pdf", pdf}, nullptr, &writer);
    ASSERT_EQ(r.code, kReportOk) << r.err;
    const QJsonObject json = parsed(r.out);
    EXPECT_EQ(json["reports"].toInt(), 2);
    const QJsonArray bet = json["bet_reports"].toArray();
    ASSERT_EQ(bet.size(), 2);
    EXPECT_EQ(bet[1].toObject()["name"].toString(), "氧化铝");
    EXPECT_DOUBLE_EQ(bet[1].toObject()["bet_area_m2_g"].toDouble(), 813.5);

    EXPECT_EQ(readBytes(pdf).rfind("%PDF", 0), 0u);
    if (!haveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils not installed";
    EXPECT_EQ(pdfPages(pdf), 2);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains("活性炭")) << text.toStdString();
    EXPECT_TRUE(text.contains("氧化铝")) << text.toStdString();
    if (haveTool("pdftoppm")) {
        run("pdftoppm", {"-r", "60", "-png", "-f", "1", "-l", "1", "-singlefile", QString::fromStdString(pdf),
                         QString(VESPIAN_BUILD_DIR) + "/report_tool_bet_page"});
    }
}

TEST_F(ReportToolPdf, AnUnwritablePlaceLeavesNoFileAndExitsWithThree) {
    const std::string file = folder.file("lab.03D");
    auto db = std::make_unique<RecordDatabase>();
    db->reports().records[0].in_use = 1;
    db->reports().count = 1;
    ASSERT_TRUE(saveDatabase(file, *db).ok);
    const std::string pdf = folder.file("no-such-folder/bet.pdf");
    const ToolRun r = runTool({file, "--pdf", pdf}, nullptr, &writer);
    EXPECT_EQ(r.code, kReportOutputFailed);
    EXPECT_NE(r.err.find("cannot write the file"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
    // A folder in place of the file.
    const ToolRun onFolder = runTool({file, "--pdf", folder.path().string()}, nullptr, &writer);
    EXPECT_EQ(onFolder.code, kReportOutputFailed);
}

}  // namespace
}  // namespace vespian

// The three chemisorption report windows on the offscreen platform, driven through their
// widgets and the scripted prompts: fields filled and read back, Tm picking on the chart, the
// titration's presets and recalculation, the desorption window's rounding, the file buttons,
// the scroll bar, and printing through a real QPrinter to PDF, read back with pdftotext.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

#include <QKeyEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "analysis/desktop/desorption_test_dialog.h"
#include "analysis/desktop/titration_report_dialog.h"
#include "analysis/desktop/tp_report_dialog.h"
#include "analysis/desorption_test.h"
#include "analysis/desorption_test_page.h"
#include "analysis/titration_page.h"
#include "analysis/tp_report_page.h"
#include "analysis/titration.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/desktop/pdf_document.h"
#include "platform/gbk_text.h"
#include "app/report_options.h"
#include "support/comma_locale.h"
#include "tests/app/report_tool_run.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::PromptRecord;
using testing::ScriptedPrompts;

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

// The text of each page of a PDF, as a reader's search sees it: every character as itself.
std::vector<std::string> pdfPages(const std::string& pdf) {
    const std::string text = run("pdftotext -layout '" + pdf + "' -");
    std::vector<std::string> pages;
    size_t start = 0;
    for (size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', start)) {
        pages.push_back(text.substr(start, ff - start));
        start = ff + 1;
    }
    return pages;
}

bool pageHas(const std::string& page, const char* text) { return page.find(text) != std::string::npos; }

std::string withoutSpaces(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t') out += c;
    }
    return out;
}

// A report as "样品" leaves it: 1001 points of a peak on a ramp from 100 to 600 ℃.
void fillReport(TestReport& report) {
    TestReportHeader& h = report.header();
    writeGbkField(h.heading, "氨气程序升温脱附");
    writeGbkField(h.sampleName, "HZSM-5");
    writeGbkField(h.tester, "张三");
    h.sampleWeightG = 0.1f;
    h.testDate = {2024, 5, 17};
    h.upperTempC = 600.0f;
    h.rampRateCPerMin = 10.0f;
    h.reportPointCount = 1000;
    for (int i = 0; i <= 1000; ++i) {
        const float z = (static_cast<float>(i) - 400.0f) / 90.0f;
        report.signalMv()[i] = 0.2f + 8.0f * std::exp(-0.5f * z * z);
        report.temperatureC()[i] = 100.0f + 0.5f * static_cast<float>(i);
    }
}

class ReportWindowsTest : public ::testing::Test {
protected:
    ReportWindowsTest() : report(std::make_unique<TestReport>()) {
        fillReport(*report);
        location = startReportLocation(folder.path().string());
    }

    ReportWindowContext context() {
        return ReportWindowContext{*report, location, prompts, letterhead, [this] { ++panelRefreshes; },
                                   QRect(100, 50, 1100, 900)};
    }

    template <typename T>
    static T* child(const QWidget& parent, const char* name) {
        T* found = parent.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void pressEscape(QWidget& widget) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&widget, &press);
    }

    static void mouse(QWidget* widget, QEvent::Type type, int x, int y) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }

    // Prints to a PDF in the test folder; true when the print dialog was answered Yes.
    std::string printToPdf(const char* name) {
        const std::string pdf = folder.file(name);
        QPrinter& printer = ReportWindow::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::A4));
        prompts.answerYes();
        return pdf;
    }

    static void renderFirstPage(const std::string& pdf, const std::string& png) {
        run("pdftoppm -r 70 -png -f 1 -l 1 -singlefile '" + pdf + "' '" + std::string(VESPIAN_BUILD_DIR) + "/" + png + "'");
    }

    testing::TestFolder folder{"report_windows"};
    ScriptedPrompts prompts;
    std::unique_ptr<TestReport> report;
    ReportLocation location;
    ReportLetterhead letterhead{"示例仪器服务部", "www.example.cn", "400-000-0000", "service@example.cn"};
    int panelRefreshes = 0;
};

TEST_F(ReportWindowsTest, TheTpWindowShowsTheRecordAndPicksTmOnTheChart) {
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.width(), 880);
    EXPECT_EQ(dialog.x(), 100 + (1100 - 880) / 2);
    EXPECT_EQ(dialog.y(), 50);
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(child<QTextEdit>(dialog, "headingEdit")->toPlainText(), "氨气程序升温脱附");
    EXPECT_EQ(child<QLineEdit>(dialog, "weightEdit")->text(), "0.1000");
    EXPECT_EQ(child<QLineEdit>(dialog, "upperTempEdit")->text(), "600");
    EXPECT_EQ(child<QLineEdit>(dialog, "dayEdit")->text(), "17");

    ReportChartView* chart = child<ReportChartView>(dialog, "chart");
    EXPECT_EQ(chart->mapTo(&dialog, QPoint(0, 0)), QPoint(45, 95));
    mouse(chart, QEvent::MouseMove, 310, 100);  // trunc(310 / 775 × 1000) = 400: 300 ℃
    EXPECT_EQ(child<QLabel>(dialog, "pointerTemperature")->text(), "温度：300 ℃");
    mouse(chart, QEvent::MouseButtonPress, 310, 100);
    mouse(chart, QEvent::MouseButtonPress, 620, 100);  // point 800: 500 ℃
    QListWidget* list = child<QListWidget>(dialog, "tmList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Tm = 300 ℃");
    EXPECT_EQ(list->item(1)->text(), "Tm = 500 ℃");
    EXPECT_EQ(report->header().tmCount, 2);
    EXPECT_EQ(report->header().tmIndices[0], 400);
    // The Tm mark is drawn on the chart in its colour.
    const QImage& picture = chart->picture();
    int green = 0;
    for (int y = 0; y < picture.height(); ++y) {
        if (picture.pixelColor(310, y) == QColor(0, 150, 50)) ++green;
    }
    EXPECT_GE(green, 4);
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/tp_report_window.png"));

    child<QPushButton>(dialog, "deleteTmButton")->click();  // nothing selected: nothing happens
    EXPECT_EQ(list->count(), 2);
    // A focused list has a current line without a selection: still nothing to delete.
    list->setFocus();
    list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    ASSERT_EQ(list->currentRow(), 0);
    child<QPushButton>(dialog, "deleteTmButton")->click();
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(report->header().tmCount, 2);
    list->setCurrentRow(0);
    child<QPushButton>(dialog, "deleteTmButton")->click();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Tm = 500 ℃");
    EXPECT_EQ(report->header().tmIndices[0], 800);
    child<QPushButton>(dialog, "clearTmButton")->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(report->header().tmCount, 0);
}

TEST_F(ReportWindowsTest, OkWritesTheCurrentReportFileAndEscapeWritesNothing) {
    {
        ReportWindowContext c = context();
        TpReportDialog dialog(nullptr, c);
        dialog.show();
        child<QLineEdit>(dialog, "sampleNameEdit")->setText("改过的名称");
        pressEscape(dialog);
        EXPECT_EQ(panelRefreshes, 1);
        EXPECT_FALSE(fs::exists(folder / "新文件.care"));
        EXPECT_EQ(readGbkField(report->header().sampleName), "HZSM-5");  // not read back
    }
    {
        ReportWindowContext c = context();
        TpReportDialog dialog(nullptr, c);
        dialog.show();
        child<QLineEdit>(dialog, "sampleNameEdit")->setText("改过的名称");
        child<QLineEdit>(dialog, "rampRateEdit")->setText("abc");
        child<QPushButton>(dialog, "okButton")->click();
        EXPECT_EQ(panelRefreshes, 2);
        EXPECT_FALSE(dialog.isVisible());
        auto back = std::make_unique<TestReport>();
        ASSERT_TRUE(readReportFile(folder.file("新文件.care"), *back).ok);
        EXPECT_EQ(readGbkField(back->header().sampleName), "改过的名称");
        EXPECT_EQ(back->header().rampRateCPerMin, 0.0f);
        EXPECT_TRUE(prompts.records().empty());
    }
    {
        // The report file cannot be written: said, and the window stays for "保存为...".
        location.currentPath = folder.file("gone/x.care");
        ReportWindowContext c = context();
        TpReportDialog dialog(nullptr, c);
        dialog.show();
        child<QPushButton>(dialog, "okButton")->click();
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(prompts.records().size(), 1u);
        EXPECT_EQ(prompts.records()[0].caption, "错误");
        EXPECT_EQ(panelRefreshes, 2);
    }
}

TEST_F(ReportWindowsTest, SaveAsAndOpenGoThroughTheReportDialogs) {
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    dialog.show();
    child<QLineEdit>(dialog, "testerEdit")->setText("李四");
    prompts.chooseFile(folder.file("tpd"));
    child<QPushButton>(dialog, "saveAsButton")->click();
    EXPECT_EQ(prompts.records().at(0).caption, "保存报告");
    EXPECT_EQ(location.currentPath, folder.file("tpd.care"));
    EXPECT_EQ(readGbkField(report->header().tester), "李四");  // read back before saving

    report->header().upperTempC = 1.0f;
    child<QLineEdit>(dialog, "upperTempEdit")->setText("1");
    prompts.chooseFile(folder.file("tpd.care"));
    child<QPushButton>(dialog, "openButton")->click();
    EXPECT_EQ(prompts.records().at(1).caption, "打开报告");
    EXPECT_EQ(child<QLineEdit>(dialog, "upperTempEdit")->text(), "600");  // the window filled again
    EXPECT_EQ(child<QLineEdit>(dialog, "testerEdit")->text(), "李四");
}

TEST_F(ReportWindowsTest, OpeningRefillsEveryFieldWhetherOrNotItsTextChanges) {
    TestReportHeader& h = report->header();
    h.pulseArea = 2000.0f;
    h.pulseVolumeMl = 1.0f;
    h.residualArea = 1234.6f;
    h.sampleWeightG = 1.0f;
    const std::string stored = folder.file("stored.care");
    ASSERT_TRUE(writeReportFile(stored, *report).ok);
    h.residualArea = 1235.0f;  // the window shows "1235" already
    ReportWindowContext c = context();
    DesorptionTestDialog dialog(nullptr, c);
    dialog.show();
    namespace d = desorption_field;
    ASSERT_EQ(dialog.field(d::kDesorptionArea)->text(), "1235");
    prompts.chooseFile(stored);
    child<QPushButton>(dialog, "openButton")->click();
    // The file's 1234.6 shows as "1235" again and is taken back as such, with its total.
    EXPECT_EQ(h.residualArea, 1235.0f);
    EXPECT_EQ(dialog.field(d::kTotal)->text(), "0.618");
}

TEST_F(ReportWindowsTest, OpenRefusesAReportFileThatLostItsPoints) {
    const std::string cut = folder.file("cut.care");
    ASSERT_TRUE(writeReportFile(cut, *report).ok);
    fs::resize_file(cut, kReportTemperatureOffset + 500 * 4);  // 1001 points claimed
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    dialog.show();
    child<QLineEdit>(dialog, "sampleNameEdit")->setText("未保存的输入");
    prompts.chooseFile(cut);
    child<QPushButton>(dialog, "openButton")->click();
    ASSERT_EQ(prompts.records().size(), 2u);  // the open dialog, then the refusal
    EXPECT_EQ(prompts.records()[1].caption, "错误");
    EXPECT_NE(prompts.records()[1].text.find("不是完整的报告文件"), std::string::npos) << prompts.records()[1].text;
    EXPECT_EQ(child<QLineEdit>(dialog, "sampleNameEdit")->text(), "未保存的输入");
    EXPECT_EQ(report->header().reportPointCount, 1000);
    EXPECT_EQ(location.currentPath, startReportLocation(folder.path().string()).currentPath);
}

TEST_F(ReportWindowsTest, AWindowLowerThanItsContentScrollsBetweenTwoPositions) {
    ReportWindowContext c = context();
    c.area = QRect(0, 0, 1000, 600);
    TpReportDialog dialog(nullptr, c);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.height(), 600 - 32);  // the title bar keeps its room on the screen
    EXPECT_EQ(dialog.frameGeometry().top(), 0);
    QScrollBar* bar = child<QScrollBar>(dialog, "contentScroll");
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 1);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(dialog.content()->y(), -(890 - (600 - 32)));
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(dialog.content()->y(), 0);
}

TEST_F(ReportWindowsTest, TitrationWindowRecalculatesOnEveryFieldAndTakesThePresets) {
    TestReportHeader& h = report->header();
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.residualArea = 2000.0f;
    h.residualVolumeMl = 1.0f;
    h.pulseCount = 6;
    h.stoichiometry = 0.6667f;
    h.atomicMass = 195.0801f;
    h.massFraction = 0.01f;
    h.crossSectionNm2 = 0.089f;
    h.sampleWeightG = 1.0f;
    ReportWindowContext c = context();
    TitrationReportDialog dialog(nullptr, c);
    dialog.show();
    namespace f = titration_field;
    EXPECT_EQ(h.atomicMass, 195.08f);  // taken back from "195.080"
    EXPECT_EQ(dialog.field(f::kAdsorbedVolume)->text(), "2.000");
    EXPECT_TRUE(dialog.field(f::kDispersion)->text().startsWith("1.1605"));
    EXPECT_TRUE(dialog.field(f::kActiveArea)->text().startsWith("956.15"));
    EXPECT_TRUE(dialog.field(f::kDispersion)->isReadOnly());
    EXPECT_EQ(child<QComboBox>(dialog, "metalList")->currentText(), "铂");

    dialog.field(f::kPulseCount)->setText("3.9");
    EXPECT_EQ(h.pulseCount, 3);
    EXPECT_EQ(dialog.field(f::kAdsorbedVolume)->text(), "0.500");

    child<QComboBox>(dialog, "metalList")->setCurrentIndex(1);  // 钯
    EXPECT_EQ(dialog.field(f::kAtomicMass)->text(), "106.420");
    EXPECT_EQ(dialog.field(f::kCrossSection)->text(), "0.084");
    EXPECT_EQ(h.atomicMass, 106.42f);
    EXPECT_EQ(h.crossSectionNm2, 0.084f);

    dialog.field(f::kWeight)->setText("0");
    EXPECT_EQ(dialog.field(f::kDispersion)->text(), "—");
    EXPECT_EQ(dialog.field(f::kActiveArea)->text(), "—");
    EXPECT_EQ(dialog.field(f::kPerGram)->text(), "—");
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/titration_window.png"));
}

TEST_F(ReportWindowsTest, NumbersKeepThePointInADecimalCommaLocale) {
    testing::CommaLocale german;
    ASSERT_TRUE(german.active()) << "de_DE.UTF-8 could not be generated (Debian package \"locales\")";
    TestReportHeader& h = report->header();
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.residualArea = 2000.0f;
    h.residualVolumeMl = 1.0f;
    h.pulseCount = 6;
    h.stoichiometry = 0.6667f;
    h.atomicMass = 195.08f;
    h.massFraction = 0.01f;
    h.crossSectionNm2 = 0.089f;
    h.sampleWeightG = 1.0f;
    ReportWindowContext c = context();
    TitrationReportDialog dialog(nullptr, c);
    dialog.show();
    namespace f = titration_field;
    EXPECT_EQ(dialog.field(f::kMassFraction)->text(), "0.0100");
    EXPECT_EQ(h.massFraction, 0.01f);  // taken back from its text, not as 0
    EXPECT_TRUE(dialog.field(f::kDispersion)->text().startsWith("1.1605")) << dialog.field(f::kDispersion)->text().toStdString();
    dialog.field(f::kWeight)->setText("0.5");
    EXPECT_TRUE(dialog.field(f::kActiveArea)->text().startsWith("1912.30")) << dialog.field(f::kActiveArea)->text().toStdString();

    // The exports: the printed page as PDF and the trace as CSV.
    const std::string pdf = folder.file("titration.pdf");
    prompts.chooseFile(pdf);
    child<QPushButton>(dialog, "exportPdfButton")->click();
    const std::vector<std::string> pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    for (const char* text : {"质量分数：0.0100", "样品重量[g]：0.5000", "金属分散度：2.3210", "剩余体积[ml]：1.000"}) {
        EXPECT_TRUE(pageHas(pages[0], text)) << text << "\n" << pages[0];
    }
    const std::string csv = folder.file("trace.csv");
    prompts.chooseFile(csv);
    child<QPushButton>(dialog, "exportCsvButton")->click();
    const std::string bytes = testing::readBytes(csv);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 1 + 1001);  // the header, the points 0 .. 1000
    EXPECT_NE(bytes.find("\n0.2,0.2"), std::string::npos);  // point 1 at 0.2 s
    for (size_t at = bytes.find('\n'); at != std::string::npos && at + 1 < bytes.size(); at = bytes.find('\n', at + 1)) {
        const std::string row = bytes.substr(at + 1, bytes.find('\n', at + 1) - at - 1);
        ASSERT_EQ(std::count(row.begin(), row.end(), ','), 2) << row;
    }
}

// The value the tool's text summary gives after "label: ", without its unit.
std::string toolValue(const std::string& summary, const std::string& label, const std::string& unit) {
    const std::string marker = "\n" + label + ": ";
    const size_t at = summary.find(marker);
    if (at == std::string::npos) return "<missing " + label + ">";
    const size_t start = at + marker.size();
    std::string value = summary.substr(start, summary.find('\n', start) - start);
    if (!unit.empty() && value.size() > unit.size() + 1 && value.ends_with(" " + unit)) {
        value.resize(value.size() - unit.size() - 1);
    }
    return value;
}

TEST_F(ReportWindowsTest, TheReportToolShowsEveryTitrationAndDesorptionNumberAsTheWindowsDo) {
    // More digits than any field shows, so each window takes back rounded values.
    TestReportHeader& h = report->header();
    h.sampleWeightG = 0.123456f;
    h.titrationTempC = 49.6f;
    h.pulseArea = 2345.678f;
    h.pulseVolumeMl = 0.5123456f;
    h.residualArea = 1234.6f;
    h.residualVolumeMl = 0.2696543f;
    h.pulseCount = 7;
    h.stoichiometry = 0.66666666f;
    h.atomicMass = 106.42049f;
    h.massFraction = 0.0123456f;
    h.crossSectionNm2 = 0.0841234f;
    const std::string care = folder.file("digits.care");
    ASSERT_TRUE(writeReportFile(care, *report).ok);
    const testing::ToolRun tool = testing::runTool({care});
    ASSERT_EQ(tool.code, kReportOk) << tool.err;
    const std::string summary = "\n" + tool.out;

    struct Shown {
        const char* label;
        int32_t field;
        const char* unit;
    };
    namespace f = titration_field;
    {
        ReportWindowContext c = context();
        TitrationReportDialog window(nullptr, c);
        for (const Shown& n : {Shown{"样品重量 weight", f::kWeight, "g"},
                               Shown{"滴定/脱附温度 titration (desorption) temperature", f::kTitrationTemp, "℃"},
                               Shown{"脉冲峰面积 pulse area", f::kPulseArea, ""},
                               Shown{"脉冲峰体积 pulse volume", f::kPulseVolume, "ml"},
                               Shown{"脉冲峰数量 pulses", f::kPulseCount, ""},
                               Shown{"剩余峰面积 residual area", f::kResidualArea, ""},
                               Shown{"剩余体积 residual volume", f::kResidualVolume, "ml"},
                               Shown{"吸附体积 adsorbed volume", f::kAdsorbedVolume, "ml"},
                               Shown{"吸附量 adsorbed per gram", f::kPerGram, "ml/g"},
                               Shown{"化学计量系数 stoichiometry", f::kStoichiometry, ""},
                               Shown{"原子质量 atomic mass", f::kAtomicMass, "g/mol"},
                               Shown{"质量分数 mass fraction", f::kMassFraction, ""},
                               Shown{"原子截面积 cross-section", f::kCrossSection, "nm²"},
                               Shown{"金属分散度 dispersion", f::kDispersion, ""},
                               Shown{"活性比表面积 active area", f::kActiveArea, "m²/g"}}) {
            EXPECT_EQ(toolValue(summary, n.label, n.unit), window.field(n.field)->text().toStdString()) << n.label;
        }
    }
    ASSERT_TRUE(readReportFile(care, *report).ok);  // the titration window rounded the record
    namespace d = desorption_field;
    ReportWindowContext c = context();
    DesorptionTestDialog window(nullptr, c);
    for (const Shown& n : {Shown{"脱附峰面积 desorption area", d::kDesorptionArea, ""},
                           Shown{"脱附总量 desorbed total", d::kTotal, "ml"},
                           Shown{"脱附量 desorbed per gram", d::kPerGram, "ml/g"}}) {
        EXPECT_EQ(toolValue(summary, n.label, n.unit), window.field(n.field)->text().toStdString()) << n.label;
    }
    EXPECT_EQ(window.field(d::kTotal)->text(), "0.270");  // 0.5123456 / 2345.678 × 1235, not × 1234.6
}

TEST_F(ReportWindowsTest, DesorptionWindowShowsTheRoundedAreaAndItsResults) {
    TestReportHeader& h = report->header();
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.residualArea = 2999.6f;
    h.sampleWeightG = 0.25f;
    h.massFraction = 0.01f;
    h.atomicMass = 195.08f;
    h.stoichiometry = 0.6667f;
    ReportWindowContext c = context();
    DesorptionTestDialog dialog(nullptr, c);
    dialog.show();
    namespace d = desorption_field;
    EXPECT_EQ(dialog.field(d::kDesorptionArea)->text(), "3000");
    EXPECT_EQ(h.residualArea, 3000.0f);
    EXPECT_EQ(dialog.field(d::kTotal)->text(), "1.500");
    EXPECT_EQ(dialog.field(d::kPerGram)->text(), "6.000");
    const float dispersion = h.dispersion;
    dialog.field(d::kWeight)->setText("0.5");
    EXPECT_EQ(dialog.field(d::kPerGram)->text(), "3.000");
    EXPECT_FLOAT_EQ(h.dispersion, dispersion / 2.0f);  // the titration follows the shared weight
    dialog.field(d::kWeight)->setText("0");
    EXPECT_EQ(dialog.field(d::kPerGram)->text(), "—");
    EXPECT_EQ(dialog.field(d::kTotal)->text(), "1.500");
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/desorption_window.png"));
}

TEST_F(ReportWindowsTest, TheTpReportPrintsWhatTheWindowShowsAndCloses) {
    report->header().tmCount = 1;
    report->header().tmIndices[0] = 400;
    report->header().tmValues[0] = 300.0f;
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    dialog.show();
    child<QLineEdit>(dialog, "sampleNameEdit")->setText("打印前输入");
    const std::string pdf = printToPdf("tp.pdf");
    child<QPushButton>(dialog, "printButton")->click();
    EXPECT_EQ(prompts.records().back().kind, PromptRecord::Kind::Print);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ReportWindow::printer().docName(), "程序升温分析报告");
    const std::vector<std::string> pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    for (const char* text : {"氨气程序升温脱附", "CXM-2600化学分析仪数据报告", "示例仪器服务部", "www.example.cn",
                             "样品名称：打印前输入", "样品重量[g]：0.1000", "上限温度[℃]：600", "检测员：张三",
                             "升温速率[℃/分]：10", "检测日期：2024-5-17", "Tm值：", "300 ℃", "[mV]", "[℃]", "[秒]",
                             "服务热线：400-000-0000", "电子邮件：service@example.cn", "1200"}) {
        EXPECT_TRUE(pageHas(pages[0], text)) << text << "\n" << pages[0];
    }
    renderFirstPage(pdf, "tp_report_page");
    EXPECT_TRUE(fs::exists(std::string(VESPIAN_BUILD_DIR) + "/tp_report_page.png"));
}

TEST_F(ReportWindowsTest, TheTitrationAndDesorptionReportsPrintTheirDataBlocks) {
    TestReportHeader& h = report->header();
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.residualArea = 2000.0f;
    h.residualVolumeMl = 1.0f;
    h.pulseCount = 6;
    h.stoichiometry = 0.6667f;
    h.atomicMass = 195.08f;
    h.massFraction = 0.01f;
    h.crossSectionNm2 = 0.089f;
    h.sampleWeightG = 1.0f;
    h.titrationTempC = 50.0f;
    {
        ReportWindowContext c = context();
        TitrationReportDialog dialog(nullptr, c);
        dialog.show();
        const std::string pdf = printToPdf("titration.pdf");
        child<QPushButton>(dialog, "printButton")->click();
        EXPECT_EQ(ReportWindow::printer().docName(), "氢氧滴定分析报告");
        const std::vector<std::string> pages = pdfPages(pdf);
        ASSERT_EQ(pages.size(), 1u);
        for (const char* text : {"滴定温度[℃]：50", "脱附量：2.000", "脉冲峰面积：1000", "化学计量系数：0.666700",
                                 "原子质量[g/ml]：195.080", "脉冲峰数量：6", "剩余体积[ml]：1.000",
                                 "金属分散度：1.1605", "活性比表面积[m2/g]：956.15", "吸附体积[ml]：2.000"}) {
            EXPECT_TRUE(pageHas(pages[0], text)) << text << "\n" << pages[0];
        }
        EXPECT_FALSE(pageHas(pages[0], "[℃]\n"));
        renderFirstPage(pdf, "titration_report_page");
    }
    {
        h.residualArea = 3000.0f;
        h.residualVolumeMl = 1.5f;
        h.sampleWeightG = 0.0f;
        ReportWindowContext c = context();
        DesorptionTestDialog dialog(nullptr, c);
        dialog.show();
        const std::string pdf = printToPdf("desorption.pdf");
        prompts.setPrintCopies(2);
        child<QPushButton>(dialog, "printButton")->click();
        EXPECT_EQ(ReportWindow::printer().docName(), "脱附量测试");
        const std::vector<std::string> pages = pdfPages(pdf);
        ASSERT_EQ(pages.size(), 2u);  // two copies
        for (const std::string& page : pages) {
            for (const char* text : {"脱附温度[℃]：50", "脱附峰面积：3000", "脱附总量[ml]：1.500", "脱附量[ml/g]：—"}) {
                EXPECT_TRUE(pageHas(page, text)) << text << "\n" << page;
            }
            EXPECT_EQ(page.find("inf"), std::string::npos);
            EXPECT_EQ(page.find("nan"), std::string::npos);
        }
        renderFirstPage(pdf, "desorption_report_page");
    }
}

TEST_F(ReportWindowsTest, EveryTextOfTheExportedPagesIsFoundInThePdf) {
    // The titration page holds 比 面 日 子 金, which faces drawing them as their Kangxi radicals
    // would hand to a reader as ⽐ ⾯ ⽇ ⼦ ⾦.
    TestReportHeader& h = report->header();
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.pulseCount = 6;
    h.massFraction = 0.01f;
    struct Document {
        const char* name;
        PdfPageLayout pages;
    };
    const Document documents[] = {
        {"tp.pdf", [&](int w, int ht) { return tpReportPages(*report, letterhead, w, ht); }},
        {"titration.pdf", [&](int w, int ht) { return std::vector<DrawList>{titrationReportPage(*report, letterhead, w, ht)}; }},
        {"desorption.pdf",
         [&](int w, int ht) { return std::vector<DrawList>{desorptionReportPage(*report, letterhead, w, ht)}; }},
    };
    for (const Document& document : documents) {
        const std::string pdf = folder.file(document.name);
        QString error;
        ASSERT_TRUE(writePdfDocument(QString::fromStdString(pdf), "页面", document.pages, &error)) << error.toStdString();
        const std::vector<std::string> pages = pdfPages(pdf);
        const std::vector<DrawList> drawn = document.pages(4724, 6780);
        ASSERT_EQ(pages.size(), drawn.size()) << document.name;
        for (size_t k = 0; k < pages.size(); ++k) {
            const std::string found = withoutSpaces(pages[k]);
            for (const DrawText* t : drawn[k].texts()) {
                if (t->rotated || withoutSpaces(t->text).empty()) continue;
                EXPECT_NE(found.find(withoutSpaces(t->text)), std::string::npos)
                    << document.name << ": " << t->text << "\n" << pages[k];
            }
        }
    }
    EXPECT_TRUE(pageHas(pdfPages(folder.file("titration.pdf"))[0], "活性比表面积[m2/g]："));
}

TEST_F(ReportWindowsTest, ACancelledPrintDialogPrintsNothingAndKeepsTheWindow) {
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    dialog.show();
    prompts.answerNo();
    child<QPushButton>(dialog, "printButton")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(panelRefreshes, 0);
}

}  // namespace
}  // namespace vespian

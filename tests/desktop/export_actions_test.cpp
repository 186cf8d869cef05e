// "导出PDF", "导出CSV" and "保存图片" in the windows, pressed offscreen with a scripted file
// name: the report windows, the BET report dialog, the record lists and the trace view's
// shortcut. PDFs are read back with pdftotext; pictures are loaded back and kept in the build
// folder.

#include "platform/desktop/export_actions.h"
#include "print/desktop/record_pdf_export.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <cmath>
#include <filesystem>
#include <memory>

#include "analysis/desktop/bet_point_dialog.h"
#include "analysis/desktop/bet_report_dialog.h"
#include "analysis/desktop/comparison_details_dialog.h"
#include "analysis/desktop/desorption_test_dialog.h"
#include "analysis/desktop/titration_report_dialog.h"
#include "analysis/desktop/tp_report_dialog.h"
#include "analysis/bet_page.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"
#include "files/record_database.h"
#include "files/test_report.h"
#include "platform/desktop/canvas.h"
#include "platform/gbk_text.h"
#include "print/list_printing.h"
#include "support/scripted_prompts.h"
#include "trace/desktop/quant_peak_window.h"
#include "trace/quant_peak.h"
#include "trace/peak_table.h"
#include "tests/desktop/program_fixture.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::ScriptedPrompts;
using testing::TestFolder;
using testing::writeBytes;
namespace fs = std::filesystem;

QString pdfText(const std::string& pdf) {
    QProcess process;
    process.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

bool havePdfToText() { return !QStandardPaths::findExecutable("pdftotext").isEmpty(); }

bool startsAsPdf(const std::string& path) { return fs::exists(path) && readBytes(path).rfind("%PDF", 0) == 0; }

void press(const QWidget& window, const char* name) {
    auto* button = window.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

void fillReport(TestReport& report) {
    TestReportHeader& h = report.header();
    writeGbkField(h.heading, "氨气程序升温脱附");
    writeGbkField(h.sampleName, "HZSM-5");
    h.sampleWeightG = 0.1f;
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.residualArea = 2000.0f;
    h.reportPointCount = 500;
    for (int i = 0; i < 500; ++i) {
        const float z = (static_cast<float>(i) - 200.0f) / 50.0f;
        report.signalMv()[i] = 0.2f + 8.0f * std::exp(-0.5f * z * z);
        report.temperatureC()[i] = 100.0f + static_cast<float>(i);
    }
}

class ExportActionsTest : public ::testing::Test {
protected:
    ExportActionsTest() : report(std::make_unique<TestReport>()) {
        fillReport(*report);
        location = startReportLocation(folder.path().string());
    }
    ReportWindowContext context() {
        return ReportWindowContext{*report, location, prompts, letterhead, {}, QRect(0, 0, 1100, 900)};
    }

    TestFolder folder{"export_actions"};
    ScriptedPrompts prompts;
    std::unique_ptr<TestReport> report;
    ReportLocation location;
    ReportLetterhead letterhead{"示例仪器服务部", "www.example.cn", "400-000-0000", "service@example.cn"};
};

TEST_F(ExportActionsTest, TheTpWindowExportsItsPageTraceAndChart) {
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    dialog.show();
    QApplication::processEvents();

    prompts.chooseFile(folder.file("tpd"));
    press(dialog, "exportPdfButton");
    const std::string pdf = folder.file("tpd.pdf");
    ASSERT_TRUE(startsAsPdf(pdf));
    EXPECT_EQ(prompts.records().back().caption, kExportPdfText);
    EXPECT_EQ(prompts.records().back().initialName, kTpReportDocumentName);
    EXPECT_TRUE(dialog.isVisible());  // unlike printing, exporting leaves the window open
    if (havePdfToText()) {
        const QString text = pdfText(pdf);
        EXPECT_TRUE(text.contains("CXM-2600化学分析仪数据报告")) << text.toStdString();
        EXPECT_TRUE(text.contains("HZSM-5")) << text.toStdString();
    }

    prompts.chooseFile(folder.file("tpd"));
    press(dialog, "exportCsvButton");
    const std::string csv = readBytes(folder / "tpd.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "\xEF\xBB\xBFtime_s,signal_mV,temperature_C");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 502);  // the header and every point 0 .. 500

    prompts.chooseFile(folder.file("tpd-chart.png"));
    press(dialog, "savePictureButton");
    QImage picture(QString::fromStdString(folder.file("tpd-chart.png")));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(kReportChartWidth, kReportChartHeight));
    EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32), dialog.chart()->picture().convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/export_tp_window.png"));
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(ExportActionsTest, TitrationAndDesorptionPagesCarryTheirOwnDocument) {
    ReportWindowContext c = context();
    {
        TitrationReportDialog dialog(nullptr, c);
        dialog.show();
        prompts.chooseFile(folder.file("titration.pdf"));
        press(dialog, "exportPdfButton");
        ASSERT_TRUE(startsAsPdf(folder.file("titration.pdf")));
        if (havePdfToText()) {
            EXPECT_TRUE(pdfText(folder.file("titration.pdf")).contains("剩余峰面积"));
        }
    }
    {
        DesorptionTestDialog dialog(nullptr, c);
        dialog.show();
        prompts.chooseFile(folder.file("desorption.pdf"));
        press(dialog, "exportPdfButton");
        ASSERT_TRUE(startsAsPdf(folder.file("desorption.pdf")));
        if (havePdfToText()) {
            EXPECT_TRUE(pdfText(folder.file("desorption.pdf")).contains("脱附量"));
        }
    }
}

TEST_F(ExportActionsTest, ExportsAskBeforeReplacingAndReportFailures) {
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    dialog.show();

    writeBytes(folder / "kept.pdf", "old");
    prompts.chooseFile(folder.file("kept.pdf"));
    prompts.answerNo();
    press(dialog, "exportPdfButton");
    EXPECT_EQ(prompts.texts().back(), "‘" + folder.file("kept.pdf") + "’文件已经存在，是否要替换它？");
    EXPECT_EQ(readBytes(folder / "kept.pdf"), "old");

    // No folder there: said so, nothing claimed, for each kind.
    for (const char* button : {"exportPdfButton", "exportCsvButton", "savePictureButton"}) {
        const std::string nowhere = folder.file("missing/out");
        prompts.chooseFile(nowhere);
        const size_t before = prompts.records().size();
        press(dialog, button);
        ASSERT_EQ(prompts.records().size(), before + 2) << button;  // the dialog, then the message
        EXPECT_EQ(prompts.records().back().caption, "错误") << button;
        EXPECT_NE(prompts.texts().back().find("missing/out"), std::string::npos) << button;
    }
    prompts.cancelFile();
    press(dialog, "exportCsvButton");
    EXPECT_FALSE(fs::exists(folder / "missing"));
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(ExportActionsTest, TheBetReportDialogExportsItsPagePointsAndPicture) {
    auto db = std::make_unique<RecordDatabase>();
    SurfaceReportRecord& r = db->reports().records[0];
    r.n2_temp_c = 15.0f;
    r.ads_pressure_kpa = 101.3f;
    r.p0_kpa = 103.0f;
    r.calib_volume_ml = 3.0f;
    const float volumes[] = {0.8f, 1.0f, 1.15f};
    for (int i = 0; i < 3; ++i) {
        r.volume[i] = volumes[i];
        r.n2_flow[i] = 5.0f * static_cast<float>(i + 1);
        r.he_flow[i] = 50.0f - r.n2_flow[i];
    }
    r.point_count = 3;
    r.calib_count = 3;
    BetRawVolumes raw;
    SampleIdentity sample;
    sample.weightMg = 100.0f;
    sample.name = gbkFromUtf8("氧化铝");
    BetCalibrationDefaults defaults;
    BetReportDialog dialog(nullptr, db->reports(), raw, sample, defaults, prompts);
    dialog.show();
    QApplication::processEvents();
    ASSERT_TRUE(dialog.opened());

    prompts.chooseFile(folder.file("bet"));
    press(dialog, "exportPdfButton");
    ASSERT_TRUE(startsAsPdf(folder.file("bet.pdf")));
    if (havePdfToText()) {
        EXPECT_TRUE(pdfText(folder.file("bet.pdf")).contains("BET绘图"));
    }

    prompts.chooseFile(folder.file("bet"));
    press(dialog, "exportCsvButton");
    const std::string csv = readBytes(folder / "bet.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);  // header and three points
    EXPECT_NE(csv.find("\r\n3,"), std::string::npos);

    prompts.chooseFile(folder.file("bet.png"));
    press(dialog, "savePictureButton");
    const QImage picture(QString::fromStdString(folder.file("bet.png")));
    EXPECT_EQ(picture.size(), QSize(kBetReportWidth, kBetReportHeight));
    // Nothing was committed by exporting.
    EXPECT_EQ(db->reports().count, 0);
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/export_bet_report_dialog.png"));
}

TEST_F(ExportActionsTest, TheBetPointDialogSavesItsPeakPictureWhenItHasPrompts) {
    auto db = std::make_unique<RecordDatabase>();
    auto peaks = std::make_unique<PeakTable>();
    peaks->count = 1;
    const BetPointTexts texts = beginBetPoint(db->reports(), 10000);
    QImage peak(200, 120, QImage::Format_RGB32);
    peak.fill(Qt::darkGreen);
    {
        // Without prompts (as older callers build it) there is nothing to save with.
        BetPointDialog dialog(nullptr, db->reports(), *peaks, texts, peak);
        EXPECT_EQ(dialog.findChild<QPushButton*>("savePictureButton"), nullptr);
    }
    BetPointDialog dialog(nullptr, db->reports(), *peaks, texts, peak, &prompts);
    dialog.show();
    prompts.chooseFile(folder.file("point"));
    press(dialog, "savePictureButton");
    const QImage saved(QString::fromStdString(folder.file("point.png")));
    ASSERT_EQ(saved.size(), peak.size());
    EXPECT_EQ(saved.pixelColor(5, 5), QColor(Qt::darkGreen));
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/export_bet_point_dialog.png"));
}

TEST_F(ExportActionsTest, TheQuantitativePeakWindowSavesThePeakItShows) {
    auto quant = std::make_unique<QuantPeak>();
    QuantPeakWindow window(nullptr, *quant, report->signalMv(), 100, 300, nullptr, &prompts);
    window.show();
    prompts.chooseFile(folder.file("quant"));
    press(window, "savePictureButton");
    const QImage saved(QString::fromStdString(folder.file("quant.png")));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), window.picture().convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(window.grab().save(VESPIAN_BUILD_DIR "/export_quant_peak_window.png"));
    window.close();
}

TEST_F(ExportActionsTest, TheSampleDetailsSaveTheShownTracePicture) {
    auto db = std::make_unique<RecordDatabase>();
    SampleTable& t = db->samples();
    t.count = 1;
    t.records[0].in_use = 1;
    t.records[0].selected = 1;
    t.records[0].trace[0] = 30;
    for (int k = 1; k < 30; ++k) t.records[0].trace[k] = float(k * 10);
    {
        SampleDetailsDialog dialog(nullptr, t);
        EXPECT_EQ(dialog.findChild<QPushButton*>("savePictureButton"), nullptr);
    }
    SampleDetailsDialog dialog(nullptr, t, {}, &prompts);
    dialog.show();
    prompts.chooseFile(folder.file("sample"));
    press(dialog, "savePictureButton");
    const QImage saved(QString::fromStdString(folder.file("sample.png")));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), dialog.picture().convertToFormat(QImage::Format_RGB32));
}

TEST_F(ExportActionsTest, ListsExportTheirPrintedPagesOrSayThereIsNone) {
    auto db = std::make_unique<RecordDatabase>();
    const CalendarDate today{2026, 12, 9};
    // Nothing selected: said so before any file is asked for.
    EXPECT_FALSE(exportListPdf(prompts, {folder.path().string(), "列表"}, *db, RecordList::Reports, "", today));
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records().back().caption, "错误");
    EXPECT_EQ(prompts.unscripted(), 0);

    for (int i = 0; i < 2; ++i) {
        SurfaceReportRecord& r = db->reports().records[i];
        r.number = i + 1;
        writeGbkField(r.name, i == 0 ? "活性炭" : "氧化铝");
        r.in_use = 1;
        r.selected = 1;
    }
    db->reports().count = 2;
    prompts.chooseFile(folder.file("bet-list"));
    ASSERT_TRUE(exportListPdf(prompts, {folder.path().string(), "列表"}, *db, RecordList::Reports, "", today));
    ASSERT_TRUE(startsAsPdf(folder.file("bet-list.pdf")));
    if (havePdfToText()) {
        const QString text = pdfText(folder.file("bet-list.pdf"));
        EXPECT_TRUE(text.contains("活性炭") && text.contains("氧化铝")) << text.toStdString();
        EXPECT_EQ(text.count('\f'), 2);  // one page each
    }
}

TEST_F(ExportActionsTest, TheTraceViewShortcutSavesWhatTheViewShows) {
    QWidget window;
    QImage shown(320, 200, QImage::Format_RGB32);
    shown.fill(Qt::blue);
    installSavePictureShortcut(&window, prompts, [&] { return ExportPlace{folder.path().string(), "谱图"}; },
                               [&] { return shown; });
    auto* shortcut = window.findChild<QShortcut*>("savePictureShortcut");
    ASSERT_NE(shortcut, nullptr);
    EXPECT_EQ(shortcut->key(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    prompts.chooseFile(folder.file("trace"));
    emit shortcut->activated();
    EXPECT_EQ(prompts.records().back().initialName, "谱图");
    const QImage saved(QString::fromStdString(folder.file("trace.png")));
    ASSERT_EQ(saved.size(), shown.size());
    EXPECT_EQ(saved.pixelColor(10, 10), QColor(Qt::blue));
}

class TraceViewPictureTest : public testing::ProgramFixture {};

TEST_F(TraceViewPictureTest, TheMainWindowSavesItsTraceViewAsPng) {
    start(50.0);
    ASSERT_TRUE(testing::waitUntil([&] { return state().chromatogram->shownCount() > 100; }));
    auto* shortcut = window()->findChild<QShortcut*>("savePictureShortcut");
    ASSERT_NE(shortcut, nullptr);
    prompts.chooseFile((folder / "view").string());
    emit shortcut->activated();
    EXPECT_EQ(prompts.records().back().caption, kSavePictureText);
    EXPECT_EQ(prompts.records().back().initialDirectory, state().dataFolder);
    const QImage saved(QString::fromStdString((folder / "view.png").string()));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), window()->centralWidget()->size());
    // The live trace is in the picture: some pixels of the plot carry the signal's colour.
    const PixelRect plot = plotRect(state().view);
    const QRgb signal = qColour(state().view.traceColour).rgb() & 0xFFFFFFu;
    int traced = 0;
    for (int y = plot.top; y < plot.bottom; ++y) {
        for (int x = plot.left; x < plot.right; ++x) traced += (saved.pixel(x, y) & 0xFFFFFFu) == signal;
    }
    EXPECT_GT(traced, 20);
    EXPECT_TRUE(saved.save(VESPIAN_BUILD_DIR "/export_trace_view.png"));
}

}  // namespace
}  // namespace vespian

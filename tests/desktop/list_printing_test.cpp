// Printing of the record lists to PDF through QPrinter, read back with pdftotext and pdfinfo;
// one sample page and one BET page are rendered to PNG (pdftoppm) in the build folder.

#include "print/desktop/list_printer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "analysis/bet.h"
#include "platform/gbk_text.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::ScriptedPrompts;
namespace fs = std::filesystem;

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a PDF. The CJK face maps some ideographs to their radical forms (⽐ for 比);
// compatibility normalisation turns them back.
QString pdfText(const std::string& pdf) {
    return run("pdftotext", {"-layout", QString::fromStdString(pdf), "-"}).normalized(QString::NormalizationForm_KC);
}

int pdfPages(const std::string& pdf) {
    const QString info = run("pdfinfo", {QString::fromStdString(pdf)});
    for (const QString& line : info.split('\n')) {
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    }
    return -1;
}

class ListPrintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        printer.printer().setOutputFormat(QPrinter::PdfFormat);
        printer.printer().setPageSize(QPageSize(QPageSize::A4));
        printer.printer().setResolution(300);
    }

    std::string printTo(const char* name, RecordList list, int copies = 1) {
        const std::string pdf = folder.file(name);
        printer.printer().setOutputFileName(QString::fromStdString(pdf));
        prompts.answerYes();
        prompts.setPrintCopies(copies);
        EXPECT_TRUE(printer.print(nullptr, prompts, *db, list, CalendarDate{2025, 6, 1}, false));
        return pdf;
    }

    // n samples in use, all selected, each with a peak of `height` mV over 60 points.
    void samples(int n) {
        SampleTable& t = db->samples();
        t.count = n;
        for (int i = 0; i < n; ++i) {
            SampleRecord& s = t.records[i];
            s.in_use = 1;
            s.selected = 1;
            s.serial = i + 1;
            writeGbkField(s.name, "样品" + std::to_string(i + 1));
            writeGbkField(s.sending_company, "化工所");
            s.weight_mg = 100.0f + i;
            s.surface_area = 20.0f + i;
            s.peak_area = 10000 + i;
            s.measured_year = 2025;
            s.measured_month = 5;
            s.measured_day = 20;
            s.trace[0] = 60;
            for (int k = 1; k < 60; ++k) s.trace[k] = float((10 + i) * std::exp(-0.01 * (k - 30) * (k - 30)));
        }
    }

    void betReport(int index, bool selected) {
        ReportTable& t = db->reports();
        SurfaceReportRecord& r = t.records[index];
        r.number = index + 1;
        writeGbkField(r.name, "氧化铝");
        writeGbkField(r.sending_company, "化工所");
        r.weight_mg = 100.0f;
        r.n2_temp_c = 15.0f;
        r.ads_pressure_kpa = 101.3f;
        r.p0_kpa = 103.0f;
        const float volumes[] = {0.8f, 1.0f, 1.15f};
        for (int i = 0; i < 3; ++i) {
            r.volume[i] = volumes[i];
            r.n2_flow[i] = 5.0f * (i + 1);
            r.he_flow[i] = 50.0f - r.n2_flow[i];
        }
        r.point_count = 3;
        BetRawVolumes raw;
        ComputeBet(r, raw, true);
        r.in_use = 1;
        r.selected = selected ? 1 : 0;
        t.count = std::max(t.count, index + 1);
    }

    testing::TestFolder folder{"list_printing"};
    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
    ScriptedPrompts prompts;
    ListPrinter printer;
};

TEST_F(ListPrintingTest, SixteenSamplesPrintOnTwoPagesUnderTheHeader) {
    samples(16);
    printer.settings().header = "氮吸附比表面积测定";
    const std::string pdf = printTo("samples.pdf", RecordList::Samples);
    EXPECT_EQ(printer.pagesPrinted(), 2);
    EXPECT_EQ(pdfPages(pdf), 2);
    const QString text = pdfText(pdf);
    EXPECT_EQ(text.count("氮吸附比表面积测定"), 2);
    EXPECT_EQ(text.count("打印日期:2025-6-1"), 2);
    EXPECT_TRUE(text.contains("样品1 "));
    EXPECT_TRUE(text.contains("样品16"));
    EXPECT_TRUE(text.contains("送样单位"));
    EXPECT_TRUE(text.contains("2025- 5-20"));
    EXPECT_TRUE(text.contains("谱图:"));
    // The first page's X axis runs to the peaks' length, 15 × 60 / 5 = 180 s + 3; its Y axis to
    // 24 mV rounded up by a quarter: 50.
    EXPECT_TRUE(text.contains("183"));
    EXPECT_TRUE(run("pdfinfo", {QString::fromStdString(pdf)}).contains("Vespian2002 Doc"));
    run("pdftoppm", {"-png", "-r", "50", "-f", "1", "-l", "1", "-singlefile", QString::fromStdString(pdf),
                     VESPIAN_BUILD_DIR "/sample_page"});
    EXPECT_TRUE(fs::exists(VESPIAN_BUILD_DIR "/sample_page.png"));
}

TEST_F(ListPrintingTest, CopiesRepeatTheSequence) {
    samples(3);
    const std::string pdf = printTo("copies.pdf", RecordList::Standards, 2);
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_EQ(printer.printer().copyCount(), 2);  // kept for the next print dialog
}

TEST_F(ListPrintingTest, ReportListPrintsTheSelectedBetPages) {
    betReport(0, false);
    betReport(1, true);
    betReport(2, true);
    db->reports().records[2].in_use = 0;
    betReport(3, true);
    const std::string pdf = printTo("bet.pdf", RecordList::Reports);
    EXPECT_EQ(pdfPages(pdf), 2);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains("样品编号:2"));
    EXPECT_TRUE(text.contains("样品编号:4"));
    EXPECT_FALSE(text.contains("样品编号:1 "));
    EXPECT_EQ(text.count("BET绘图"), 2);
    EXPECT_TRUE(text.contains("BET比表面积:36.535"));  // NFKC also turns "：" into ":"
    EXPECT_TRUE(text.contains("相对压力 P/Po"));
    EXPECT_TRUE(text.contains("0.0422"));  // the top of the plotted scale
    run("pdftoppm", {"-png", "-r", "50", "-f", "1", "-l", "1", "-singlefile", QString::fromStdString(pdf),
                     VESPIAN_BUILD_DIR "/bet_page"});
    EXPECT_TRUE(fs::exists(VESPIAN_BUILD_DIR "/bet_page.png"));
}

TEST_F(ListPrintingTest, CancelledPrintDialogPrintsNothing) {
    samples(2);
    const std::string pdf = folder.file("none.pdf");
    printer.printer().setOutputFileName(QString::fromStdString(pdf));
    prompts.answerNo();
    EXPECT_FALSE(printer.print(nullptr, prompts, *db, RecordList::Samples, CalendarDate{}, false));
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_EQ(prompts.records().back().kind, testing::PromptRecord::Kind::Print);
}

// Qt cannot end a print job without a sheet; with nothing to print no job is started, so no
// blank sheet (and here no blank PDF page) comes out. A selection printed next works as ever.
TEST_F(ListPrintingTest, NoSelectedSampleFeedsNoBlankSheet) {
    samples(2);
    db->samples().records[0].selected = 0;
    db->samples().records[1].selected = 0;
    const std::string empty = printTo("empty.pdf", RecordList::Samples, 2);
    EXPECT_FALSE(fs::exists(empty)) << "a PDF of " << pdfPages(empty) << " page(s)";
    EXPECT_EQ(printer.printer().copyCount(), 2);
    betReport(0, false);
    EXPECT_FALSE(fs::exists(printTo("no-report.pdf", RecordList::Reports)));

    db->samples().records[1].selected = 1;
    EXPECT_EQ(pdfPages(printTo("one.pdf", RecordList::Samples, 2)), 2) << "one page for each of the two copies";
}

}  // namespace
}  // namespace vespian

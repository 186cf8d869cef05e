#pragma once
// What the three report windows (temperature-programmed, titration, desorption) share: a modal
// window without a title bar, 880 wide, centred over the main window's client area with its
// top and height; content 890 high that a two-position scroll bar moves when the window is
// lower; the heading at the top; the chart group "谱图" with the 775 × 380 chart at (45, 95);
// the form of labelled fields, filled, changed and read back through the report kind's rules;
// and the buttons "打开", "保存为...", "打印" and "确定". Escape closes the window (refreshing the
// report panel, writing nothing); Ctrl+O, Ctrl+S and Ctrl+P open, save and print. Beside them
// "导出PDF" writes the printed pages to a PDF file, "导出CSV" the report's trace, "保存图片" the
// chart as PNG.

#include <QDialog>
#include <QImage>
#include <QPrinter>
#include <QRect>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "analysis/evaluation_footer.h"
#include "analysis/report_form.h"
#include "files/report_letterhead.h"
#include "files/test_report_commands.h"
#include "platform/draw_list.h"

class QLineEdit;
class QPushButton;
class QScrollBar;
class QTextEdit;

namespace vespian {

class Prompts;
class TestReport;

// Everything a report window works with; the main window owns it all.
struct ReportWindowContext {
    TestReport& report;
    ReportLocation& location;           // the current report file and the data folder
    Prompts& prompts;
    const ReportLetterhead& letterhead;
    std::function<void()> refreshPanel;  // the main window's report panel
    QRect area;                          // the main window's client area, global coordinates
    EvaluationExport evaluationExport;   // the evaluation panel's trace hash and export record
};

// The chart bitmap: a picture drawn from the core's draw list, with the pointer's vertical line
// over it while the pointer is inside. Moves and clicks are handed out in chart pixels.
class ReportChartView : public QWidget {
    Q_OBJECT

public:
    explicit ReportChartView(QWidget* parent);

    void setDrawing(const DrawList& drawing);
    // Off: no pointer line and no cursor of its own (the titration and desorption charts).
    void setPointerTracking(bool on);
    const QImage& picture() const { return picture_; }
    int pointerX() const { return pointerX_; }

signals:
    void pointerMoved(int x);
    void clicked(int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage picture_;
    bool tracking_ = true;
    int pointerX_ = -1;
};

class ReportWindow : public QDialog {
    Q_OBJECT

public:
    ReportWindow(QWidget* parent, ReportWindowContext& context, const char* objectName, const ReportForm& form);

    // The printer the window prints on (kept for the run, as the operator left it).
    static QPrinter& printer();

    QWidget* content() const { return content_; }
    ReportChartView* chart() const { return chart_; }
    QScrollBar* scrollBar() const { return scroll_; }
    // The field of a control number; null for the heading (a QTextEdit, "headingEdit") and for
    // a number the window does not have.
    QLineEdit* field(int32_t id) const;

protected:
    // A label and the field of control `id` at window position (x, y), `fieldWidth` wide, named
    // `objectName` ("field<id>" when null); editable as the form says. A field that takes its
    // text back stores every change of it and shows the results that follow.
    QLineEdit* addFormField(int32_t id, const char* label, int x, int y, int labelWidth, int fieldWidth,
                            const char* objectName = nullptr);
    // The date: "检测日期:" and the three fields "yearEdit", "monthEdit", "dayEdit" with "年" "月" "日".
    void addDateFields(int x, int y, int labelWidth);
    // Texts put into their fields as the operator would type them: each is a change.
    void typeTexts(const std::vector<FieldText>& texts);

    // The record into the fields through the form's rules (filling is a change of every field
    // that takes its text back, whether or not its text differs), then filled().
    void fill();
    // Every editable field into the record.
    void readBack();
    // What a report kind does after a fill: its chart, its lists.
    virtual void filled() {}
    virtual void printPages() = 0;      // print (through the prompts' print dialog)
    // The printed pages of this report kind for a page of width × height, and their document.
    virtual std::vector<DrawList> pageLayout(int width, int height) const = 0;
    virtual const char* documentName() const = 0;
    // The pages of pageLayout() printed as documentName(); the window closes after printing.
    void printDocument();

    // "导出PDF" (the window's fields read back first: what it shows goes on the page), "导出CSV"
    // (the report's trace) and "保存图片" (the chart).
    void exportPages();
    void exportTrace();
    void saveChartPicture();

    // "确定": read back, write the current report file, refresh the panel, close. A write that
    // fails is reported and the window stays open, so the report can still be saved elsewhere.
    void finish();
    // Closing without "确定": the panel refreshed, nothing written.
    void reject() override;
    void saveAs();
    void openFile();

    void resizeEvent(QResizeEvent* event) override;

    ReportWindowContext& context_;
    QWidget* content_;
    ReportChartView* chart_;
    QTextEdit* heading_;

private:
    void placeContent();
    void changed(int32_t id, const QString& text);

    const ReportForm& form_;
    std::map<int32_t, QLineEdit*> fields_;
    QScrollBar* scroll_;
};

// Prints the pages a report kind lays out for the printer's page size, after the print dialog
// (through the prompts), each copy as a whole: the document carries `documentName`. True when
// printed; false when the operator cancelled or the printer could not start (then said so).
bool printReportDocument(Prompts& prompts, QPrinter& printer, const char* documentName,
                         const std::function<std::vector<DrawList>(int width, int height)>& pages);

}  // namespace vespian

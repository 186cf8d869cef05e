#pragma once
// The report panel of the report view as a widget: the panel drawn from the one test report,
// and a click on a row naming the report kind whose window is to open. The main window may
// also paint the panel into its own canvas with paintReportPanel.

#include <QWidget>

#include <array>

#include "files/report_panel.h"

class QPainter;

namespace vespian {

class TestReport;

void paintReportPanel(QPainter& painter, QSize size, const TestReportHeader& report,
                      const std::array<int32_t, kReportPanelColumns>& widths);

class ReportPanelView : public QWidget {
    Q_OBJECT

public:
    ReportPanelView(QWidget* parent, const TestReport& report, std::array<int32_t, kReportPanelColumns> widths);

    // The record changed (a report window closed, a file was opened).
    void refresh() { update(); }
    void setWidths(std::array<int32_t, kReportPanelColumns> widths);

signals:
    void reportChosen(vespian::ReportKind kind);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const TestReport& report_;
    std::array<int32_t, kReportPanelColumns> widths_;
};

}  // namespace vespian

#include "app/desktop/event_list_window.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/event_log.h"
#include "platform/desktop/program_font.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

EventListWindow::EventListWindow(const EventLog& log, QWidget* parent) : QDialog(parent), log_(log) {
    setObjectName("eventListWindow");
    setWindowTitle(kEventListTitle);
    setModal(false);
    setFont(programFont(12));
    resize(640, 320);
    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName("eventTable");
    table_->setHorizontalHeaderLabels({"时间", "类型", "内容"});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(table_);
    reload();
}

void EventListWindow::reload() {
    table_->setRowCount(0);
    for (size_t i = 0; i < log_.size(); ++i) append(log_.at(i));
}

void EventListWindow::append(const EventEntry& entry) {
    // The window keeps what the log keeps: the oldest rows go as the log drops them.
    while (table_->rowCount() > 0 && static_cast<size_t>(table_->rowCount()) >= log_.size()) table_->removeRow(0);
    const int row = table_->rowCount();
    table_->insertRow(row);
    table_->setItem(row, 0, new QTableWidgetItem(qs(eventTimeText(entry.wallSeconds))));
    auto* kind = new QTableWidgetItem(qs(eventKindName(entry.kind)));
    if (entry.kind == EventKind::Alarm) kind->setForeground(QColor(200, 0, 0));
    table_->setItem(row, 1, kind);
    table_->setItem(row, 2, new QTableWidgetItem(qs(entry.text)));
    table_->scrollToBottom();
}

}  // namespace vespian

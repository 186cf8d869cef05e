#pragma once
// "报警与事件记录": the run's event list as a small window beside the main window — time, kind and
// text of every alarm, its clearing and the other notices, newest at the bottom. It stays open
// while the operator works and takes new entries as they come.

#include <QDialog>

class QTableWidget;

namespace vespian {

class EventLog;
struct EventEntry;

inline constexpr char kEventListTitle[] = "报警与事件记录";

class EventListWindow : public QDialog {
    Q_OBJECT

public:
    EventListWindow(const EventLog& log, QWidget* parent = nullptr);

    // Shows the list as the log holds it now.
    void reload();
    void append(const EventEntry& entry);
    QTableWidget* table() const { return table_; }

private:
    const EventLog& log_;
    QTableWidget* table_ = nullptr;
};

}  // namespace vespian

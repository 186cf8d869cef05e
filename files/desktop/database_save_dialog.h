#pragma once
// The save-progress dialog "数据存盘": the record database written on the first tick of its
// 100 ms timer, its bar stepped after each of the three record blocks; it closes by itself when
// done. "关闭" closes it at any time (before the save has started nothing is written).

#include <QDialog>
#include <QTimer>
#include <string>

#include "files/record_database_commands.h"

class QProgressBar;

namespace vespian {

class DatabaseSaveDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 340;
    static constexpr int kHeight = 160;

    DatabaseSaveDialog(QWidget* parent, const RecordDatabase& database, std::string path);

    // Runs the dialog; the save's result (its message is shown by the caller).
    static DatabaseFileResult save(QWidget* parent, const RecordDatabase& database, const std::string& path);
    // The saver the database commands use: every save with this dialog.
    static DatabaseSaver saver(QWidget* parent, const RecordDatabase& database);

    const DatabaseFileResult& result() const { return result_; }
    int barValue() const;

    // Widgets by objectName: "saveProgress" (the bar), "closeButton".

private:
    void saveNow();

    const RecordDatabase& database_;
    std::string path_;
    DatabaseFileResult result_;
    QTimer timer_;
    QProgressBar* bar_ = nullptr;
};

}  // namespace vespian

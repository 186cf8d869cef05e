#pragma once
// The dialog "程序升温设定": segment combo, the three fields, "加入温控段", the Start/Stop button,
// Exit and the programme list, with the programme preview below. It carries out what the core's
// ProgrammeEditor decides. Only one copy exists at a time: opening another closes the one still
// recorded as open, and the main window's forced stop reaches the open copy through openDialog().

#include <QDialog>

#include "control/furnace_program.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace vespian {

struct ControlContext;
class ProgrammePreviewView;

class ProgrammeDialog : public QDialog {
    Q_OBJECT

public:
    explicit ProgrammeDialog(ControlContext& context, QWidget* parent = nullptr);
    ~ProgrammeDialog() override;

    // The copy recorded as open, or none.
    static ProgrammeDialog* openDialog();

    // The main window's forced stop after a sensor alarm: the dialog shows the empty programme.
    void showForcedStop();
    // One tick of the link watch (timer 9997); public so tests need not wait a second.
    void linkWatchTick();

    QComboBox* segmentCombo() const { return combo_; }
    QLineEdit* field(int index) const { return fields_[index]; }
    QPushButton* addButton() const { return add_; }
    QPushButton* startStopButton() const { return startStop_; }
    QPushButton* exitButton() const { return exit_; }
    QListWidget* programmeList() const { return list_; }
    ProgrammePreviewView* preview() const { return preview_; }
    QTimer* linkWatchTimer() const { return linkWatch_; }

public slots:
    // Exit, Escape and the close box: the exit rules decide whether the dialog closes.
    void reject() override;

private:
    void showScreen();
    void carryOut(const ProgrammeStep& step);
    bool ask(const ControlNotice& question);
    void addSegment();
    void startStop();

    ControlContext& context_;
    ProgrammeEditor editor_;
    QComboBox* combo_ = nullptr;
    QLineEdit* fields_[3] = {};
    QPushButton* add_ = nullptr;
    QPushButton* startStop_ = nullptr;
    QPushButton* exit_ = nullptr;
    QListWidget* list_ = nullptr;
    ProgrammePreviewView* preview_ = nullptr;
    QTimer* linkWatch_ = nullptr;
    QTimer* previewTick_ = nullptr;

    static ProgrammeDialog* open_;
};

}  // namespace vespian

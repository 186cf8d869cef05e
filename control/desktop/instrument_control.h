#pragma once
// The instrument-control windows as the main window opens them: one entry point per menu command
// or panel button, each running its window modally (the main window's timers keep running), and
// the forced stop of the furnace programme after a sensor alarm.
//
// The main window owns one InstrumentControl over its ControlContext and calls:
//   32819, 32821 → openProgramme()      32816 → openFlows()        32818 → openGasPath()
//   32813 → openInjector() (then the automatic desorption, with what it returns)
//   1025 … 1028 → openGuide()           32822, 32823 → openConnectionView()
//   32824 … 32827 → openPreparation()   (openCommand() maps all of these but 32813)
//   timer 9998 → forcedStop()

#include <QObject>
#include <QWidget>
#include <optional>

#include "control/desktop/connection_view.h"
#include "control/guide_pages.h"
#include "control/injector_control.h"

namespace vespian {

struct ControlContext;

class InstrumentControl : public QObject {
    Q_OBJECT

public:
    explicit InstrumentControl(ControlContext& context, QObject* parent = nullptr);

    // Opens the window of a menu command or panel button; false for a command that is not one
    // of these (the injector dialog has its own entry, for what it returns).
    bool openCommand(int commandId);

    // From the menu the programme dialog, the guides and the views stand alone; opened from the
    // gas-path panel they are the panel's, so that they show above it and not behind it.
    void openProgramme(QWidget* owner = nullptr);
    // From the menu the dialog is the main window's; from the panel it is the panel's.
    void openFlows(QWidget* owner = nullptr);
    // The panel is modal over its owner (the main window); the windows it opens are its own.
    void openGasPath(QWidget* owner = nullptr);
    // The button used, when one was: the main window re-arms its automatic desorption from it.
    std::optional<InjectorPress> openInjector(QWidget* owner = nullptr);
    void openGuide(GuideKind kind, QWidget* owner = nullptr);
    void openConnectionView(ConnectionView::Side side);
    void openPreparation(GuideKind kind);

    // The forced stop (timer 9998): a running programme is stopped, the open programme dialog
    // shows the empty programme and the stop frame goes out. False when nothing was running.
    bool forcedStop();

    ControlContext& context() { return context_; }

private:
    ControlContext& context_;
};

}  // namespace vespian

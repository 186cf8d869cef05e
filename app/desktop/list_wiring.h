#pragma once
// The record lists in the running program's list view (the third tab): the standards, the
// comparison samples or the BET reports, drawn over the view; a click on a row toggles its
// selection, a double click on a BET report shows its page; two scroll bars along the right and
// bottom edges move the list (or the page), as the wheel does. The view buttons and the list's
// pop-up menu (right button, or the menu key) carry the list commands: "显示详细信息", the
// three selection commands, the two deletions, the choice of the list, the exports "导出为文本"
// and "导出为CSV", "打印设置" and printing. The pore-point buttons of the report view open the
// pore dialogs.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <memory>

#include "analysis/comparison.h"
#include "analysis/list_scroll.h"

class QMenu;
class QPainter;
class QScrollBar;

namespace vespian {

class DatabaseWiring;
class ListPrinter;
class MainWindow;
class Prompts;
struct ProgramState;

class ListWiring : public QObject {
    Q_OBJECT

public:
    ListWiring(MainWindow& window, ProgramState& state, Prompts& prompts, DatabaseWiring& database);
    ~ListWiring() override;

    // The list the view shows: state.listKind 0 standards, 1 samples, 2 BET reports.
    RecordList activeList() const;
    void showList(RecordList list);
    bool betPageShown() const;

    // The list commands (also reached through the view buttons and the pop-up menu).
    void showDetails();
    void select(SelectionCommand command);
    void deleteSelected();
    void deleteAll();
    void leaveBetPage();
    bool exportText();
    bool exportCsv();
    bool printSettings();
    bool print();

    // The pop-up menu of the list view, built afresh for the current list.
    std::unique_ptr<QMenu> popupMenu();
    // The first row shown of each list and the BET page's scroll position.
    int firstRow() const { return firstRow_[static_cast<int>(activeList())]; }
    void scrollRows(int rows);
    // Sideways by `pixels` (lists wider than the view, the BET page).
    void scrollSideways(int pixels);
    int sidewaysScroll() const { return hScroll_[static_cast<int>(activeList())]; }
    // The pop-up menu at the middle of the view (the menu key, Shift+F10).
    void popupFromKeyboard();

    ListPrinter& printer();
    void redraw();

    // The two scroll bars of the list view (shown while it is).
    QScrollBar* verticalBar() const { return vBar_; }
    QScrollBar* horizontalBar() const { return hBar_; }
    // Where the list or page is drawn inside the view's frame: clear of the scroll bars.
    QRect listArea(const QRect& inside) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A deletion from the record database in the audit trail: the list and its records before and after.
    void auditDeletion(int32_t before);
    void draw(QPainter& painter, const QRect& inside);
    bool click(QPoint point, const QRect& inside);
    bool doubleClick(QPoint point, const QRect& inside);
    void installPoreButtons();
    // How far the shown list or page scrolls in the view as last drawn.
    ListViewScroll scrollLimits() const;
    int& verticalPosition();
    int& sidewaysPosition();
    void placeBars(const QRect& area);

    MainWindow& window_;
    ProgramState& state_;
    Prompts& prompts_;
    DatabaseWiring& database_;
    std::unique_ptr<ListPrinter> printer_;
    int firstRow_[3] = {0, 0, 0};
    int pageScroll_ = 0;
    int hScroll_[3] = {0, 0, 0};
    int pageHScroll_ = 0;
    QScrollBar* vBar_ = nullptr;
    QScrollBar* hBar_ = nullptr;
};

}  // namespace vespian

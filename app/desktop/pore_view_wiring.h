#pragma once
// The pore points in the running program's report view: their thumbnails in a grid below the
// report panel, scrolled a row at a time by the wheel or by the scroll bar at their right; a
// click on a thumbnail makes that point
// current and opens its point dialog "孔径数据属性". From the keyboard, in the report view only:
// the arrows move the current point, Enter opens it, Page Up / Page Down scroll.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <vector>

class QPainter;
class QScrollBar;
class QShortcut;

namespace vespian {

class DatabaseWiring;
class MainWindow;
class ReportWiring;
struct ProgramState;

class PoreViewWiring : public QObject {
    Q_OBJECT

public:
    PoreViewWiring(MainWindow& window, ProgramState& state, DatabaseWiring& database, ReportWiring& reports);
    ~PoreViewWiring() override;

    // Where the thumbnails lie in the view area: the report view's frame below the panel, left
    // of the grid's scroll bar.
    QRect gridRect(const QRect& inside) const;
    QScrollBar* scrollBar() const { return bar_; }
    // The first thumbnail row shown.
    int firstRow() const { return firstRow_; }
    void scrollRows(int rows);
    // The current point `step` places on (clamped to the points), brought into sight.
    void moveCurrent(int step);
    // The point dialog of the current point; nothing without points.
    void openCurrent();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void draw(QPainter& painter, const QRect& inside);
    bool click(QPoint point, const QRect& inside);
    void installShortcuts();
    int columns() const;
    void scrollWithin();
    int rowsShown() const;
    void placeBar(const QRect& grid);

    std::vector<QShortcut*> shortcuts_;

    MainWindow& window_;
    ProgramState& state_;
    DatabaseWiring& database_;
    ReportWiring& reports_;
    int firstRow_ = 0;
    QScrollBar* bar_ = nullptr;
};

}  // namespace vespian

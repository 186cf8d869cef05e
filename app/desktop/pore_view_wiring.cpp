#include "app/desktop/pore_view_wiring.h"

#include <QPainter>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "analysis/desktop/pore_dialogs.h"
#include "analysis/desktop/pore_grid_renderer.h"
#include "analysis/pore.h"
#include "app/desktop/database_wiring.h"
#include "app/desktop/main_window.h"
#include "app/desktop/report_wiring.h"
#include "app/desktop/view_area.h"
#include "app/program_state.h"

namespace vespian {

namespace {

constexpr int kGridGap = 6;  // between the report panel and the first thumbnail row

}  // namespace

PoreViewWiring::PoreViewWiring(MainWindow& window, ProgramState& state, DatabaseWiring& database, ReportWiring& reports)
    : window_(window), state_(state), database_(database), reports_(reports) {
    ViewArea* view = window_.viewArea();
    view->setViewPainter(ViewMode::Report, [this](QPainter& p, const QRect& inside) { draw(p, inside); });
    view->setViewClick(ViewMode::Report, [this](QPoint point, const QRect& inside) { return click(point, inside); });
    view->installEventFilter(this);
    installShortcuts();
}

// The keys belong to the grid while the report view shows; elsewhere they stay the window's.
void PoreViewWiring::installShortcuts() {
    struct Key {
        QKeySequence keys;
        const char* name;
        std::function<void()> act;
    };
    const Key keys[] = {
        {QKeySequence(Qt::Key_Left), "porePreviousShortcut", [this] { moveCurrent(-1); }},
        {QKeySequence(Qt::Key_Right), "poreNextShortcut", [this] { moveCurrent(1); }},
        {QKeySequence(Qt::Key_Up), "poreRowUpShortcut", [this] { moveCurrent(-columns()); }},
        {QKeySequence(Qt::Key_Down), "poreRowDownShortcut", [this] { moveCurrent(columns()); }},
        {QKeySequence(Qt::Key_Return), "poreOpenShortcut", [this] { openCurrent(); }},
        {QKeySequence(Qt::Key_Enter), "poreOpenKeypadShortcut", [this] { openCurrent(); }},
        {QKeySequence(Qt::Key_PageUp), "porePageUpShortcut", [this] { scrollRows(-1); }},
        {QKeySequence(Qt::Key_PageDown), "porePageDownShortcut", [this] { scrollRows(1); }},
    };
    for (const Key& key : keys) {
        auto* shortcut = new QShortcut(key.keys, &window_);
        shortcut->setObjectName(key.name);
        shortcut->setEnabled(state_.measurement.viewMode() == ViewMode::Report);
        connect(shortcut, &QShortcut::activated, this, [this, act = key.act] {
            if (state_.measurement.viewMode() == ViewMode::Report) act();
        });
        shortcuts_.push_back(shortcut);
    }
}

int PoreViewWiring::columns() const {
    return std::max(1, gridRect(window_.viewArea()->viewInside()).width() / kPoreThumbnailPitch);
}

void PoreViewWiring::moveCurrent(int step) {
    PoreTable& pores = database_.pores();
    const int count = std::clamp(pores.count, 0, kPorePointCapacity);
    if (count < 1) return;
    pores.current = std::clamp(std::clamp(pores.current, 0, count - 1) + step, 0, count - 1);
    const QRect grid = gridRect(window_.viewArea()->viewInside());
    const int rowsShown = std::max(1, grid.height() / kPoreThumbnailPitch);
    const int row = pores.current / columns();
    if (row < firstRow_) firstRow_ = row;
    if (row >= firstRow_ + rowsShown) firstRow_ = row - rowsShown + 1;
    window_.viewArea()->redraw();
}

void PoreViewWiring::openCurrent() {
    PoreTable& pores = database_.pores();
    const int count = std::clamp(pores.count, 0, kPorePointCapacity);
    if (count < 1) return;
    pores.current = std::clamp(pores.current, 0, count - 1);
    PorePointDialog dialog(&window_, pores, pores.current, window_.viewArea()->background());
    dialog.exec();
    window_.viewArea()->redraw();
}

PoreViewWiring::~PoreViewWiring() {
    if (ViewArea* view = window_.viewArea()) {
        view->removeEventFilter(this);
        view->setViewPainter(ViewMode::Report, {});
        view->setViewClick(ViewMode::Report, {});
    }
    for (QShortcut* shortcut : shortcuts_) delete shortcut;
}

QRect PoreViewWiring::gridRect(const QRect& inside) const {
    const QRect panel = reports_.reportPanelRect();
    QRect grid = inside;
    grid.setTop(std::max(inside.top(), panel.bottom() + 1 + kGridGap));
    grid.setLeft(inside.left() + kGridGap);
    return grid;
}

void PoreViewWiring::draw(QPainter& painter, const QRect& inside) {
    const QRect grid = gridRect(inside);
    if (grid.height() <= 0 || grid.width() <= 0) return;
    // Points deleted or a new database: the rows shown stay within the points left.
    scrollWithin();
    PoreGridRenderer::draw(painter, grid, database_.pores(), firstRow_ * kPoreThumbnailPitch,
                           window_.viewArea()->background());
}

bool PoreViewWiring::click(QPoint point, const QRect& inside) {
    const QRect grid = gridRect(inside);
    if (!grid.contains(point)) return false;
    PoreTable& pores = database_.pores();
    const int32_t index = porePointAt(pores, point.x() - grid.left(), point.y() - grid.top(), grid.width(),
                                      firstRow_ * kPoreThumbnailPitch);
    // Between the thumbnails (the 8-pixel gaps) nothing is hit either.
    const int x = (point.x() - grid.left()) % kPoreThumbnailPitch;
    const int y = (point.y() - grid.top() + firstRow_ * kPoreThumbnailPitch) % kPoreThumbnailPitch;
    if (index < 0 || x >= kPoreThumbnailSize || y >= kPoreThumbnailSize) return false;
    pores.current = index;
    window_.viewArea()->redraw();
    openCurrent();
    return true;
}

void PoreViewWiring::scrollWithin() {
    const int count = std::clamp(database_.pores().count, 0, kPorePointCapacity);
    const int lastRow = std::max(0, (count + columns() - 1) / columns() - 1);
    firstRow_ = std::clamp(firstRow_, 0, lastRow);
}

void PoreViewWiring::scrollRows(int rows) {
    firstRow_ += rows;
    scrollWithin();
    window_.viewArea()->redraw();
}

bool PoreViewWiring::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == window_.viewArea()) {
        const bool report = state_.measurement.viewMode() == ViewMode::Report;
        for (QShortcut* shortcut : shortcuts_) shortcut->setEnabled(report);
    }
    if (event->type() == QEvent::Wheel && watched == window_.viewArea() &&
        state_.measurement.viewMode() == ViewMode::Report) {
        const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
        if (delta.y() != 0) {
            scrollRows(delta.y() > 0 ? -1 : 1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vespian

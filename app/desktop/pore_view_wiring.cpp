#include "app/desktop/pore_view_wiring.h"

#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "analysis/desktop/pore_dialogs.h"
#include "analysis/desktop/pore_grid_renderer.h"
#include "analysis/list_scroll.h"
#include "analysis/pore.h"
#include "app/desktop/database_wiring.h"
#include "app/desktop/main_window.h"
#include "app/desktop/report_wiring.h"
#include "app/desktop/view_area.h"
#include "app/program_state.h"

namespace vespian {

namespace {

constexpr int kGridGap = 6;  // between the report panel and the first thumbnail row
constexpr int kBarThickness = 14;

}  // namespace

PoreViewWiring::PoreViewWiring(MainWindow& window, ProgramState& state, DatabaseWiring& database, ReportWiring& reports)
    : window_(window), state_(state), database_(database), reports_(reports) {
    ViewArea* view = window_.viewArea();
    view->setViewPainter(ViewMode::Report, [this](QPainter& p, const QRect& inside) { draw(p, inside); });
    view->setViewClick(ViewMode::Report, [this](QPoint point, const QRect& inside) { return click(point, inside); });
    view->installEventFilter(this);
    bar_ = new QScrollBar(Qt::Vertical, view);
    bar_->setObjectName("poreGridBar");
    bar_->hide();
    connect(bar_, &QScrollBar::valueChanged, this, [this](int row) {
        if (row == firstRow_) return;
        firstRow_ = row;
        window_.viewArea()->redraw();
    });
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
    const int row = pores.current / columns();
    if (row < firstRow_) firstRow_ = row;
    if (row >= firstRow_ + rowsShown()) firstRow_ = row - rowsShown() + 1;
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
        delete bar_;
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
    grid.setRight(inside.right() - kBarThickness);
    return grid;
}

int PoreViewWiring::rowsShown() const {
    return std::max(1, gridRect(window_.viewArea()->viewInside()).height() / kPoreThumbnailPitch);
}

void PoreViewWiring::placeBar(const QRect& grid) {
    const ScrollAxis axis = poreGridScroll(std::clamp(database_.pores().count, 0, kPorePointCapacity), columns(), rowsShown());
    const QSignalBlocker block(bar_);
    bar_->setGeometry(grid.right() + 1, grid.top(), kBarThickness, grid.height());
    bar_->setRange(0, axis.range);
    bar_->setSingleStep(axis.line);
    bar_->setPageStep(axis.page);
    bar_->setValue(firstRow_);
    bar_->setEnabled(axis.range > 0);
    bar_->show();
}

void PoreViewWiring::draw(QPainter& painter, const QRect& inside) {
    const QRect grid = gridRect(inside);
    if (grid.height() <= 0 || grid.width() <= 0) {
        bar_->hide();
        return;
    }
    // Points deleted or a new database: the rows shown stay within the points left.
    scrollWithin();
    placeBar(grid);
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
    firstRow_ = poreGridScroll(std::clamp(database_.pores().count, 0, kPorePointCapacity), columns(), rowsShown()).clamp(firstRow_);
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
        if (!report) bar_->hide();
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

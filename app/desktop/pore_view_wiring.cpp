#include "app/desktop/pore_view_wiring.h"

#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

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
}

PoreViewWiring::~PoreViewWiring() {
    if (ViewArea* view = window_.viewArea()) {
        view->removeEventFilter(this);
        view->setViewPainter(ViewMode::Report, {});
        view->setViewClick(ViewMode::Report, {});
    }
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
    PorePointDialog dialog(&window_, pores, index, window_.viewArea()->background());
    dialog.exec();
    return true;
}

void PoreViewWiring::scrollRows(int rows) {
    const QRect grid = gridRect(window_.viewArea()->viewInside());
    const int columns = std::max(1, grid.width() / kPoreThumbnailPitch);
    const int count = std::clamp(database_.pores().count, 0, kPorePointCapacity);
    const int lastRow = std::max(0, (count + columns - 1) / columns - 1);
    firstRow_ = std::clamp(firstRow_ + rows, 0, lastRow);
    window_.viewArea()->redraw();
}

bool PoreViewWiring::eventFilter(QObject* watched, QEvent* event) {
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

#include "app/desktop/list_wiring.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <span>

#include "analysis/bet_list.h"
#include "analysis/comparison.h"
#include "analysis/desktop/bet_renderers.h"
#include "analysis/desktop/comparison_details_dialog.h"
#include "analysis/desktop/comparison_list_renderer.h"
#include "analysis/desktop/pore_dialogs.h"
#include "analysis/desktop/pore_page_renderer.h"
#include "analysis/pore_page.h"
#include "app/audit_values.h"
#include "app/command_ids.h"
#include "app/command_tables.h"
#include "app/desktop/database_wiring.h"
#include "print/desktop/record_pdf_export.h"
#include "app/desktop/main_window.h"
#include "app/desktop/surface_wiring.h"
#include "app/desktop/artwork.h"
#include "app/desktop/view_area.h"
#include "app/program_state.h"
#include "app/view_buttons.h"
#include "app/view_titles.h"
#include "files/desktop/database_delete.h"
#include "files/list_export.h"
#include "platform/desktop/screen.h"
#include "print/desktop/list_printer.h"
#include "print/desktop/print_settings_dialog.h"

namespace vespian {

namespace {

constexpr int kWheelRows = 3;        // rows per wheel notch in the lists
constexpr int kWheelPagePixels = 60;  // pixels per wheel notch on a BET page
constexpr int kSidewaysPixels = 40;   // pixels per sideways wheel notch
constexpr int kBarThickness = 14;     // the list view's scroll bars

int tableCount(const RecordDatabase& database, RecordList list) {
    switch (list) {
    case RecordList::Standards: return database.standards().count;
    case RecordList::Samples: return database.samples().count;
    case RecordList::Reports: break;
    }
    return database.reports().count;
}

// Which list the view shows, in its lower right corner.
void drawListCaption(QPainter& painter, const QRect& inside, RecordList list, ListPage page) {
    const std::string_view text = listViewCaption(list, page);
    painter.save();
    painter.setFont(programFont(12));
    const QString caption = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(painter.font());
    QRect box(0, 0, metrics.horizontalAdvance(caption) + 16, metrics.height() + 6);
    box.moveBottomRight(inside.bottomRight() - QPoint(6, 6));
    painter.fillRect(box, QColor(255, 255, 225));
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(QColor(60, 0, 130));
    painter.drawText(box, Qt::AlignCenter, caption);
    painter.restore();
}

void placeBar(QScrollBar* bar, const ScrollAxis& axis, int position, const QRect& place) {
    const QSignalBlocker block(bar);
    bar->setGeometry(place);
    bar->setRange(0, axis.range);
    bar->setSingleStep(axis.line);
    bar->setPageStep(axis.page);
    bar->setValue(position);
    bar->setEnabled(axis.range > 0);
    bar->show();
}

}  // namespace

ListWiring::ListWiring(MainWindow& window, ProgramState& state, Prompts& prompts, DatabaseWiring& database)
    : window_(window), state_(state), prompts_(prompts), database_(database) {
    ViewArea* view = window_.viewArea();
    view->setViewPainter(ViewMode::BetList, [this](QPainter& p, const QRect& inside) { draw(p, inside); });
    view->setViewClick(ViewMode::BetList, [this](QPoint point, const QRect& inside) { return click(point, inside); });
    view->setViewDoubleClick(ViewMode::BetList,
                             [this](QPoint point, const QRect& inside) { return doubleClick(point, inside); });
    view->installEventFilter(this);
    vBar_ = new QScrollBar(Qt::Vertical, view);
    vBar_->setObjectName("listVerticalBar");
    hBar_ = new QScrollBar(Qt::Horizontal, view);
    hBar_->setObjectName("listHorizontalBar");
    for (QScrollBar* bar : {vBar_, hBar_}) {
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
            int& position = bar == vBar_ ? verticalPosition() : sidewaysPosition();
            if (position == value) return;
            position = value;
            redraw();
        });
    }

    window_.handleViewButton(kViewButtonSampleDetails, [this] { showDetails(); });
    window_.handleViewButton(kViewButtonSelectAll, [this] { select(SelectionCommand::SelectAll); });
    window_.handleViewButton(kViewButtonInvertSelection, [this] { select(SelectionCommand::Invert); });
    window_.handleViewButton(kViewButtonClearSelection, [this] { select(SelectionCommand::Clear); });
    window_.handleViewButton(kViewButtonDeleteSelected, [this] { deleteSelected(); });
    window_.handleViewButton(kViewButtonDeleteAll, [this] { deleteAll(); });
    window_.handleViewButton(kViewButtonLeaveDetail, [this] { leaveBetPage(); });
    installPoreButtons();
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, &window_);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (state_.measurement.viewMode() == ViewMode::BetList) popupFromKeyboard();
        });
    }

    window_.handleRoute(CommandRoute::ShowComparisonSamples, [this](const CommandEntry&) { showList(RecordList::Samples); });
    window_.handleRoute(CommandRoute::SaveAsText, [this](const CommandEntry&) { exportText(); });
    // Printing belongs to the lists while they are shown; elsewhere it keeps its meaning.
    MainWindow::CommandHandler before = window_.routeHandler(CommandRoute::Print);
    window_.handleRoute(CommandRoute::Print, [this, before](const CommandEntry& e) {
        if (state_.measurement.viewMode() == ViewMode::BetList || !before) {
            print();
        } else {
            before(e);
        }
    });
}

ListWiring::~ListWiring() {
    if (ViewArea* view = window_.viewArea()) {
        delete vBar_;
        delete hBar_;
        view->removeEventFilter(this);
        view->setViewPainter(ViewMode::BetList, {});
        view->setViewClick(ViewMode::BetList, {});
        view->setViewDoubleClick(ViewMode::BetList, {});
    }
}

RecordList ListWiring::activeList() const {
    switch (state_.listKind) {
    case 0: return RecordList::Standards;
    case 2: return RecordList::Reports;
    default: return RecordList::Samples;
    }
}

// A page whose report is gone (the table emptied under it) is no page: the list shows again.
bool ListWiring::betPageShown() const {
    return activeList() == RecordList::Reports && state_.betDetail != 0 && state_.selectedRow >= 0 &&
           state_.selectedRow < state_.database->reports().count;
}

void ListWiring::showList(RecordList list) {
    state_.listKind = static_cast<int32_t>(list);
    redraw();
}

void ListWiring::redraw() { window_.viewArea()->redraw(); }

// ---- Drawing and the mouse -----------------------------------------------------------------

QRect ListWiring::listArea(const QRect& inside) const {
    return inside.adjusted(0, 0, -kBarThickness, -kBarThickness);
}

ListViewScroll ListWiring::scrollLimits() const {
    const QRect area = listArea(window_.viewArea()->viewInside());
    if (betPageShown()) {
        const SurfaceReportRecord& shown = state_.database->reports().records[state_.selectedRow];
        if (!isPoreReport(shown)) return betPageScroll(area.width(), area.height());
        const auto rows = static_cast<int32_t>(poreDistribution(shown, database_.pores()).size());
        return betPageScroll(area.width(), area.height(), porePageHeight(rows));
    }
    int total = kBetListMinWidth;
    if (activeList() == RecordList::Standards) total = state_.zevid.display[0];
    if (activeList() == RecordList::Samples) total = state_.zevid.columns[0];
    return recordListScroll(tableCount(*state_.database, activeList()), total, area.width(), area.height());
}

int& ListWiring::verticalPosition() {
    return betPageShown() ? pageScroll_ : firstRow_[static_cast<int>(activeList())];
}

int& ListWiring::sidewaysPosition() {
    return betPageShown() ? pageHScroll_ : hScroll_[static_cast<int>(activeList())];
}

// The bars follow the list: its limits, its step sizes and where it stands.
void ListWiring::placeBars(const QRect& area) {
    const ListViewScroll limits = scrollLimits();
    verticalPosition() = limits.vertical.clamp(verticalPosition());
    sidewaysPosition() = limits.horizontal.clamp(sidewaysPosition());
    placeBar(vBar_, limits.vertical, verticalPosition(), QRect(area.right() + 1, area.top(), kBarThickness, area.height()));
    placeBar(hBar_, limits.horizontal, sidewaysPosition(),
             QRect(area.left(), area.bottom() + 1, area.width(), kBarThickness));
}

void ListWiring::draw(QPainter& painter, const QRect& inside) {
    const RecordDatabase& db = *state_.database;
    const QRect area = listArea(inside);
    placeBars(area);
    painter.setClipRect(area);
    const int first = firstRow();
    switch (activeList()) {
    case RecordList::Standards:
        ComparisonListRenderer::drawStandards(painter, area, db.standards(), std::span<const int32_t>(state_.zevid.display, 7),
                                              screenSize().width(), first, sidewaysScroll(), QImage());
        break;
    case RecordList::Samples:
        ComparisonListRenderer::drawSamples(painter, area, db.samples(), std::span<const int32_t>(state_.zevid.columns, 13),
                                            screenSize().width(), first, sidewaysScroll(), QImage());
        break;
    case RecordList::Reports:
        if (betPageShown()) {
            // A pore report shows its distribution; a BET report its BET page.
            const SurfaceReportRecord& shown = db.reports().records[state_.selectedRow];
            if (isPoreReport(shown)) {
                PorePageRenderer::drawOnScreen(painter, area, shown, database_.pores(), QPoint(pageHScroll_, pageScroll_));
            } else {
                BetPageRenderer::drawOnScreen(painter, area, shown, QPoint(pageHScroll_, pageScroll_));
            }
        } else {
            BetListRenderer::draw(painter, area, db.reports(), first, sidewaysScroll(), QImage());
        }
        break;
    }
    ListPage page = ListPage::Rows;
    if (betPageShown()) {
        page = isPoreReport(db.reports().records[state_.selectedRow]) ? ListPage::PorePage : ListPage::BetPage;
    }
    drawListCaption(painter, area, activeList(), page);
}

bool ListWiring::click(QPoint point, const QRect& inside) {
    const QRect area = listArea(inside);
    if (betPageShown() || !area.contains(point)) return false;
    const int32_t row = listRowAt(point.y(), area.top(), area.bottom(), firstRow());
    return row >= 0 && toggleListRow(*state_.database, activeList(), row);
}

bool ListWiring::doubleClick(QPoint point, const QRect& inside) {
    const QRect area = listArea(inside);
    if (activeList() != RecordList::Reports || betPageShown() || !area.contains(point)) return false;
    const int32_t row = betRowAtDoubleClick(state_.database->reports(), point.y(), area.top(), area.bottom(), firstRow());
    if (row < 0) return false;
    state_.selectedRow = row;
    state_.betDetail = 1;
    pageScroll_ = 0;
    pageHScroll_ = 0;
    return true;
}

void ListWiring::scrollRows(int rows) {
    const ListViewScroll limits = scrollLimits();
    // On the BET page a wheel notch moves by pixels, as far as three rows would.
    const int step = betPageShown() ? rows * kWheelPagePixels / kWheelRows : rows;
    verticalPosition() = limits.vertical.clamp(verticalPosition() + step);
    redraw();
}

void ListWiring::scrollSideways(int pixels) {
    sidewaysPosition() = scrollLimits().horizontal.clamp(sidewaysPosition() + pixels);
    redraw();
}

void ListWiring::popupFromKeyboard() {
    ViewArea* view = window_.viewArea();
    std::unique_ptr<QMenu> menu = popupMenu();
    menu->exec(view->mapToGlobal(view->viewInside().center()));
}

bool ListWiring::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_.viewArea()) return false;
    if (state_.measurement.viewMode() != ViewMode::BetList) {
        // Another view is shown: the list's bars go with the list.
        if (event->type() == QEvent::Paint) {
            vBar_->hide();
            hBar_->hide();
        }
        return false;
    }
    if (event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        std::unique_ptr<QMenu> menu = popupMenu();
        menu->exec(menuEvent->globalPos());
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        // Shift turns the wheel sideways, as a horizontal wheel does.
        const int sideways = (wheel->modifiers() & Qt::ShiftModifier) != 0 ? delta.y() : delta.x();
        if (sideways != 0) {
            scrollSideways(sideways > 0 ? -kSidewaysPixels : kSidewaysPixels);
        } else if (delta.y() != 0) {
            scrollRows(delta.y() > 0 ? -kWheelRows : kWheelRows);
        }
        return true;
    }
    return false;
}

std::unique_ptr<QMenu> ListWiring::popupMenu() {
    auto menu = std::make_unique<QMenu>(window_.viewArea());
    menu->setObjectName("listMenu");
    auto add = [&](const char* text, auto act, bool enabled = true) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, this, act);
        return action;
    };
    const bool rows = !betPageShown();
    add("显示详细信息", [this] { showDetails(); }, activeList() == RecordList::Samples);
    menu->addSeparator();
    add("选择所有数据", [this] { select(SelectionCommand::SelectAll); }, rows);
    add("反向选择数据", [this] { select(SelectionCommand::Invert); }, rows);
    add("取消选择数据", [this] { select(SelectionCommand::Clear); }, rows);
    menu->addSeparator();
    add("删除选择数据", [this] { deleteSelected(); }, rows);
    add("删除所有数据", [this] { deleteAll(); });
    menu->addSeparator();
    struct Kind {
        const char* text;
        RecordList list;
    };
    for (const Kind& kind : {Kind{"显示标样数据", RecordList::Standards}, Kind{"显示对比分析法样品数据", RecordList::Samples},
                             Kind{"显示BET分析法样品数据", RecordList::Reports}}) {
        QAction* action = add(kind.text, [this, list = kind.list] { showList(list); });
        action->setCheckable(true);
        action->setChecked(activeList() == kind.list);
    }
    if (betPageShown()) add("返回BET列表", [this] { leaveBetPage(); });
    menu->addSeparator();
    add("导出为文本", [this] { exportText(); }, activeList() == RecordList::Samples);
    add("导出为CSV", [this] { exportCsv(); });
    if (betPageShown()) {
        add("导出PDF", [this] {
            exportBetPagePdf(prompts_, {state_.dataFolder, "BET报告"},
                             state_.database->reports().records[state_.selectedRow], &database_.pores());
        });
    } else {
        add("导出PDF", [this] {
            exportListPdf(prompts_, {state_.dataFolder, "列表"}, *state_.database, activeList(),
                          printer().settings().header, localToday(), &database_.pores());
        });
    }
    menu->addSeparator();
    add("打印设置", [this] { printSettings(); });
    QAction* printAction = add("打印", [this] { print(); });
    printAction->setShortcut(QKeySequence("Ctrl+P"));
    return menu;
}

// ---- The list commands ---------------------------------------------------------------------

void ListWiring::showDetails() {
    SampleDetailsDialog dialog(&window_, state_.database->samples(), {}, &prompts_);
    dialog.exec();
    redraw();
}

void ListWiring::select(SelectionCommand command) {
    if (applySelection(*state_.database, activeList(), command, betPageShown())) redraw();
}

void ListWiring::deleteSelected() {
    const int32_t before = recordCount(*state_.database, activeList());
    deleteSelectedAsked(&window_, prompts_, *state_.database, activeList(), betPageShown());
    auditDeletion(before);
    firstRow_[static_cast<int>(activeList())] = 0;
    redraw();
}

void ListWiring::deleteAll() {
    const int32_t before = recordCount(*state_.database, activeList());
    if (deleteAllAsked(prompts_, *state_.database, activeList())) {
        auditDeletion(before);
        firstRow_[static_cast<int>(activeList())] = 0;
        if (activeList() == RecordList::Reports) {
            state_.betDetail = 0;
            state_.selectedRow = -1;
        }
    }
    redraw();
}

void ListWiring::auditDeletion(int32_t before) {
    const int32_t after = recordCount(*state_.database, activeList());
    if (after == before) return;
    window_.showArchiveNotice(state_.archiving.audit(audit_action::kDelete,
                                                     state_.databasePath + "#" + recordListName(activeList()),
                                                     std::to_string(before), std::to_string(after)));
}

void ListWiring::leaveBetPage() {
    state_.betDetail = 0;
    pageScroll_ = 0;
    pageHScroll_ = 0;
    redraw();
}

bool ListWiring::exportText() {
    return exportSampleListWithDialog(prompts_, state_.database->samples(), std::span<const int32_t>(state_.zevid.columns, 13),
                                      state_.dataFolder);
}

bool ListWiring::exportCsv() { return exportCsvWithDialog(prompts_, *state_.database, activeList(), state_.dataFolder); }

ListPrinter& ListWiring::printer() {
    if (!printer_) printer_ = std::make_unique<ListPrinter>();
    return *printer_;
}

bool ListWiring::printSettings() { return PrintSettingsDialog::run(&window_, printer().settings()); }

bool ListWiring::print() {
    const bool printed =
        printer().print(&window_, prompts_, *state_.database, activeList(), localToday(), true, &database_.pores());
    redraw();
    return printed;
}

// ---- Pore points (the report view's buttons) -----------------------------------------------

void ListWiring::installPoreButtons() {
    window_.handleViewButton(kViewButtonPoreProperties, [this] {
        PoreTable& pores = database_.pores();
        if (pores.count > 0) {
            PorePointDialog dialog(&window_, pores, std::clamp(pores.current, 0, pores.count - 1));
            dialog.exec();
        }
        redraw();
    });
    window_.handleViewButton(kViewButtonDeletePoreRecord, [this] {
        deleteCurrentPorePointAsked(prompts_, database_.pores());
        redraw();
    });
    window_.handleViewButton(kViewButtonDeleteAllPoreRecords, [this] {
        deleteAllPorePointsAsked(prompts_, database_.pores());
        redraw();
    });
    window_.handleViewButton(kViewButtonPoreReport, [this] {
        PoreReportDialog::run(&window_, state_.database->reports(), database_.pores(),
                              sampleIdentityOf(state_.settings.sample), prompts_, localToday());
        redraw();
    });
}

}  // namespace vespian

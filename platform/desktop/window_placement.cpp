#include "platform/desktop/window_placement.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/window_fit.h"

namespace vespian {

namespace {

constexpr char kScrollName[] = "windowPlacementScroll";
constexpr char kContentName[] = "windowPlacementContent";
// Set while a shown window waits for the window manager's frame, to be fitted again with it.
constexpr char kFramePending[] = "windowPlacementFramePending";

// Until the window manager has framed a window, a title bar and thin borders are assumed.
constexpr FitMargins kAssumedFrame{4, 30, 4, 4};

bool placed(const QWidget* w) {
    switch (w->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Tool: return true;
    default: return false;  // menus, tool tips, the splash, combo-box lists
    }
}

FitMargins marginsOf(const QWidget* w) {
    const QRect frame = w->frameGeometry();
    const QRect inner = w->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

bool framed(const FitMargins& m) { return m.left > 0 || m.top > 0 || m.right > 0 || m.bottom > 0; }

// The frame the window manager puts around this window: its own once it has one, else that of
// another window it has framed, else an assumption (none where there is no window manager).
FitMargins frameOf(const QWidget* window) {
    if ((window->windowFlags() & Qt::FramelessWindowHint) != 0) return {};
    if (window->isVisible() && framed(marginsOf(window))) return marginsOf(window);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == window || !other->isVisible() || !placed(other)) continue;
        if ((other->windowFlags() & Qt::FramelessWindowHint) != 0) continue;
        if (framed(marginsOf(other))) return marginsOf(other);
    }
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal" ? FitMargins{} : kAssumedFrame;
}

QScreen* screenOf(const QWidget* window) {
    if (QScreen* screen = QGuiApplication::screenAt(window->geometry().center())) return screen;
    if (window->parentWidget() != nullptr && window->parentWidget()->screen() != nullptr) {
        return window->parentWidget()->screen();
    }
    return window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
}

bool fixedSize(const QWidget* w) { return w->minimumSize() == w->maximumSize(); }

// The laid-out contents move into a scroll area that fills the window; widgets and layouts
// keep their objects, names and connections.
void giveScrollBars(QWidget* window, QSize least) {
    auto* content = new QWidget;
    content->setObjectName(kContentName);
    content->setLayout(window->layout());  // takes the layout and the widgets in it
    content->setMinimumSize(least);
    auto* area = new QScrollArea(window);
    area->setObjectName(kScrollName);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
}

FitRect rectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

void WindowPlacement::install() {
    static WindowPlacement* placement = nullptr;
    if (placement != nullptr || qApp == nullptr) return;
    placement = new WindowPlacement(qApp);
    qApp->installEventFilter(placement);
}

bool WindowPlacement::fit(QWidget* window) { return fitWindow(window, true); }

bool WindowPlacement::fitWindow(QWidget* window, bool move) {
    if (window == nullptr || !window->isWindow() || !placed(window)) return false;
    // A maximised or full-screen window is the window manager's to place.
    if ((window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0) return false;
    QScreen* screen = screenOf(window);
    if (screen == nullptr) return false;

    const bool wrapped = window->findChild<QScrollArea*>(kScrollName, Qt::FindDirectChildrenOnly) != nullptr;
    const bool main = qobject_cast<QMainWindow*>(window) != nullptr;
    const bool canScroll = !wrapped && !main && window->layout() != nullptr;
    QSize least = window->minimumSize();
    if (window->layout() != nullptr && !wrapped) least = least.expandedTo(window->minimumSizeHint());

    FitRequest request{rectOf(screen->availableGeometry()), frameOf(window), rectOf(window->geometry()),
                       least.width(), least.height()};
    WindowFit fit = fitOnScreen(request);
    if (fit.scrollWidth || fit.scrollHeight) {
        if (canScroll) {
            // A scroll bar along one edge takes room from the other direction.
            const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
            if (fit.scrollHeight) request.window.width += bar, request.leastWidth += bar;
            if (fit.scrollWidth) request.window.height += bar, request.leastHeight += bar;
            fit = fitOnScreen(request);
        } else {
            // Drawn at a fixed size: it can only move, with its title bar on the screen.
            fit.window.width = request.window.width;
            fit.window.height = request.window.height;
        }
    }
    QRect target(fit.window.x, fit.window.y, fit.window.width, fit.window.height);
    if (!move) target.moveTopLeft(window->geometry().topLeft());
    const bool scroll = canScroll && (fit.scrollWidth || fit.scrollHeight);
    if (!scroll && target == window->geometry()) return false;
    if (scroll) {
        const bool fixed = fixedSize(window);
        giveScrollBars(window, least);
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (fixed) window->setFixedSize(target.size());
    }
    if (move) {
        window->setGeometry(target);
    } else {
        window->resize(target.size());
    }
    return true;
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Move) return false;
    if (!watched->isWidgetType()) return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow()) return false;
    if (type == QEvent::Show) {
        // A window no one has placed yet is placed after this by its own show (a dialog centres
        // itself over its parent, within the screen) or by the window manager: only its size is
        // fitted now, its place once it is framed.
        fitWindow(window, window->testAttribute(Qt::WA_Moved));
        window->setProperty(kFramePending, true);
    } else if (window->property(kFramePending).toBool() && framed(marginsOf(window))) {
        // The window manager has framed the window: fitted again with the real frame.
        window->setProperty(kFramePending, false);
        fit(window);
    }
    return false;
}

}  // namespace vespian

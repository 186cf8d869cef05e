#include "platform/desktop/screen.h"
#include "platform/desktop/progress_window.h"

#include <QLabel>
#include <QProgressBar>

#include <algorithm>

#include "platform/desktop/program_font.h"

namespace vespian {

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 190;
constexpr qint64 kRepaintIntervalMs = 30;

}  // namespace

ProgressWindow::ProgressWindow(QWidget* parent, const QString& caption, const QString& text, int total)
    : QDialog(parent), total_(std::max(total, 0)) {
    setWindowTitle(caption);
    setModal(false);
    setFixedSize(kWidth, kHeight);
    text_ = new QLabel(text, this);
    text_->setObjectName("progressText");
    text_->setFont(programFont(13));
    text_->setGeometry(20, 40, kWidth - 40, 40);
    text_->setWordWrap(true);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("progressBar");
    bar_->setGeometry(20, 100, kWidth - 40, 22);
    bar_->setRange(0, std::max(total_, 1));
    bar_->setValue(0);
    bar_->setTextVisible(false);
    centreOnScreen(this, QSize(kWidth, kHeight));
    show();
    repaint();
    sinceRepaint_.start();
}

void ProgressWindow::step() {
    if (done_ < total_) ++done_;
    // Painting every step would cost more than the work itself on a long loop.
    if (sinceRepaint_.elapsed() >= kRepaintIntervalMs) showProgress();
}

void ProgressWindow::finish() {
    done_ = total_;
    showProgress();
    close();
}

int ProgressWindow::shown() const { return bar_->value(); }

void ProgressWindow::showProgress() {
    bar_->setValue(done_);
    bar_->repaint();
    sinceRepaint_.restart();
}

}  // namespace vespian

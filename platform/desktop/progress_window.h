#pragma once
// A small modeless window that shows how far a long piece of work has come: a caption, a line of
// text and a progress bar. The work runs on the UI thread, so the window repaints itself while
// it is stepped, but not more often than needed to look smooth.

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

class QLabel;
class QProgressBar;

namespace vespian {

class ProgressWindow : public QDialog {
    Q_OBJECT

public:
    // Shows the window at once, centred on the screen.
    ProgressWindow(QWidget* parent, const QString& caption, const QString& text, int total);

    // One unit of work done.
    void step();
    // The work is complete: shows the full bar and closes the window.
    void finish();

    int total() const { return total_; }
    int done() const { return done_; }
    // What the bar shows now (it lags behind done() between repaints).
    int shown() const;

private:
    void showProgress();

    QLabel* text_;
    QProgressBar* bar_;
    int total_;
    int done_ = 0;
    QElapsedTimer sinceRepaint_;
};

}  // namespace vespian

#pragma once
// Modal windows in the running program's tests: act on the next one with a given title, or
// close every one that opens and remember what opened.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace vespian::testing {

// Acts on the next modal window, whatever it is, as soon as it shows (the caller's exec() is
// running then).
inline void onNextModal(std::function<void(QWidget&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(*modal);
        }
    });
    timer->start();
}

// A named child widget of a window; a missing one fails the test.
template <typename T>
T* child(const QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Acts on the next modal dialog with this title as soon as it shows.
inline void onModal(const QString& title, std::function<void(QDialog&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, title, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->windowTitle() == title && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
        }
    });
    timer->start();
}

// While it lives, every modal window that opens is closed (a dialog rejected, anything else
// closed) and its title kept.
class ModalCloser {
public:
    ModalCloser() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible()) return;
            titles_ << modal->windowTitle();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        });
        timer_.start();
    }
    const QStringList& titles() const { return titles_; }
    void clear() { titles_.clear(); }

private:
    QTimer timer_;
    QStringList titles_;
};

}  // namespace vespian::testing

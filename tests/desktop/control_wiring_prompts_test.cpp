// The OK/Cancel question of the programme dialog as the operator sees it: "确定" and "取消",
// Escape cancels.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "platform/desktop/qt_prompts.h"

namespace vespian {
namespace {

// Answers the next message box shown modally with `answer` applied to it, after noting its
// button texts.
void answerNextBox(QStringList* buttons, std::function<void(QMessageBox&)> answer, bool* seen) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, buttons, answer = std::move(answer), seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        *seen = true;
        for (QAbstractButton* b : box->buttons()) buttons->append(b->text());
        answer(*box);
    });
    timer->start();
}

QAbstractButton* buttonNamed(QMessageBox& box, const QString& text) {
    for (QAbstractButton* b : box.buttons()) {
        if (b->text() == text) return b;
    }
    return nullptr;
}

TEST(OkCancelQuestion, OkAnswersTrueCancelAndEscapeFalse) {
    QtPrompts prompts;
    QStringList buttons;
    bool seen = false;
    answerNextBox(&buttons, [](QMessageBox& box) { buttonNamed(box, "确定")->click(); }, &seen);
    EXPECT_TRUE(prompts.askOkCancel("提示", "确定要停止程序升温吗？", PromptIcon::Warning));
    ASSERT_TRUE(seen);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"取消", "确定"}));

    seen = false;
    answerNextBox(&buttons, [](QMessageBox& box) { buttonNamed(box, "取消")->click(); }, &seen);
    EXPECT_FALSE(prompts.askOkCancel("提示", "确定要停止程序升温吗？", PromptIcon::Warning));
    ASSERT_TRUE(seen);

    seen = false;
    answerNextBox(&buttons, [](QMessageBox& box) { box.reject(); }, &seen);
    EXPECT_FALSE(prompts.askOkCancel("提示", "确定要停止程序升温吗？", PromptIcon::Warning));
    ASSERT_TRUE(seen);
}

}  // namespace
}  // namespace vespian

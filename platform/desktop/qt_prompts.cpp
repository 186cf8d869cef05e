#include "platform/desktop/qt_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace vespian {

namespace {

QMessageBox::Icon iconOf(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Error: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString filterOf(const FileDialogRequest& request) {
    // Qt reads the pattern from the parentheses of the filter name itself.
    QString filter = fromUtf8(request.filterName);
    if (!filter.contains('(')) filter += " (" + fromUtf8(request.filterPattern) + ")";
    return filter;
}

// The folder, or the offered name inside it.
QString startPath(const FileDialogRequest& request) {
    const QString folder = fromUtf8(request.initialDirectory);
    if (request.initialName.empty()) return folder;
    return QDir(folder).filePath(fromUtf8(request.initialName));
}

std::optional<std::string> chosen(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

}  // namespace

// Over whatever modal window is up, so a box never opens behind it (an alarm while the ownerless
// programme dialog is open, say); otherwise over the main window.
QWidget* QtPrompts::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return owner_;
}

void QtPrompts::message(const std::string& caption, const std::string& text, PromptIcon icon) {
    QMessageBox box(iconOf(icon), fromUtf8(caption), fromUtf8(text), QMessageBox::NoButton, owner());
    box.addButton("确定", QMessageBox::AcceptRole);
    box.exec();
}

bool QtPrompts::askYesNo(const std::string& caption, const std::string& text, PromptIcon icon) {
    QMessageBox box(iconOf(icon), fromUtf8(caption), fromUtf8(text), QMessageBox::NoButton, owner());
    QPushButton* yes = box.addButton("是(&Y)", QMessageBox::YesRole);
    QPushButton* no = box.addButton("否(&N)", QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

bool QtPrompts::askOkCancel(const std::string& caption, const std::string& text, PromptIcon icon) {
    QMessageBox box(iconOf(icon), fromUtf8(caption), fromUtf8(text), QMessageBox::NoButton, owner());
    QPushButton* ok = box.addButton("确定", QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton("取消", QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == ok;
}

PromptAnswer QtPrompts::askYesNoCancel(const std::string& caption, const std::string& text, PromptIcon icon) {
    QMessageBox box(iconOf(icon), fromUtf8(caption), fromUtf8(text), QMessageBox::NoButton, owner());
    QPushButton* yes = box.addButton("是(&Y)", QMessageBox::YesRole);
    QPushButton* no = box.addButton("否(&N)", QMessageBox::NoRole);
    QPushButton* cancel = box.addButton("取消", QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    // Escape and the close box call the question off; only a pressed button decides.
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return PromptAnswer::Yes;
    if (box.clickedButton() == no) return PromptAnswer::No;
    return PromptAnswer::Cancel;
}

std::optional<std::string> QtPrompts::openFileName(const FileDialogRequest& request) {
    QDir().mkpath(fromUtf8(request.initialDirectory));
    return chosen(QFileDialog::getOpenFileName(owner(), fromUtf8(request.title), startPath(request), filterOf(request)));
}

std::optional<std::string> QtPrompts::saveFileName(const FileDialogRequest& request) {
    QDir().mkpath(fromUtf8(request.initialDirectory));
    // The program asks about replacing an existing file itself, with its own wording.
    return chosen(QFileDialog::getSaveFileName(owner(), fromUtf8(request.title), startPath(request), filterOf(request),
                                               nullptr, QFileDialog::DontConfirmOverwrite));
}

bool QtPrompts::choosePrinter(PrintRequest& request) {
    auto* printer = static_cast<QPrinter*>(request.printer);
    if (printer == nullptr) return false;
    printer->setCopyCount(request.copies);
    printer->setFromTo(request.fromPage, request.toPage);
    QPrintDialog dialog(printer, owner());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (dialog.exec() != QDialog::Accepted) return false;
    request.copies = printer->copyCount();
    request.fromPage = printer->fromPage();
    request.toPage = printer->toPage();
    return true;
}

}  // namespace vespian

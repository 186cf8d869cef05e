#pragma once
// The real message boxes, questions and file dialogs, with the program's captions, icons and
// Chinese button texts.

#include <QWidget>

#include "platform/prompts.h"

namespace vespian {

class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    void message(const std::string& caption, const std::string& text, PromptIcon icon) override;
    bool askYesNo(const std::string& caption, const std::string& text, PromptIcon icon) override;
    bool askOkCancel(const std::string& caption, const std::string& text, PromptIcon icon) override;
    PromptAnswer askYesNoCancel(const std::string& caption, const std::string& text, PromptIcon icon) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
    // request.printer is a QPrinter*.
    bool choosePrinter(PrintRequest& request) override;

private:
    QWidget* owner() const;

    QWidget* owner_;
};

}  // namespace vespian

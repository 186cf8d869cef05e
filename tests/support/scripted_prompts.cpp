#include "support/scripted_prompts.h"

namespace vespian::testing {

void ScriptedPrompts::message(const std::string& caption, const std::string& text, PromptIcon icon) {
    records_.push_back({PromptRecord::Kind::Message, caption, text, icon, {}});
}

PromptAnswer ScriptedPrompts::nextAnswer() {
    if (answers_.empty()) {
        ++unscripted_;
        return PromptAnswer::No;
    }
    const PromptAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

bool ScriptedPrompts::askYesNo(const std::string& caption, const std::string& text, PromptIcon icon) {
    records_.push_back({PromptRecord::Kind::Question, caption, text, icon, {}});
    return nextAnswer() == PromptAnswer::Yes;
}

PromptAnswer ScriptedPrompts::askYesNoCancel(const std::string& caption, const std::string& text, PromptIcon icon) {
    records_.push_back({PromptRecord::Kind::Question, caption, text, icon, {}});
    records_.back().withCancel = true;
    return nextAnswer();
}

bool ScriptedPrompts::askOkCancel(const std::string& caption, const std::string& text, PromptIcon icon) {
    const bool ok = askYesNo(caption, text, icon);
    records_.back().okCancel = true;
    return ok;
}

std::optional<std::string> ScriptedPrompts::nextFile(PromptRecord::Kind kind, const FileDialogRequest& request) {
    records_.push_back(
        {kind, request.title, request.filterName, PromptIcon::None, request.initialDirectory, request.initialName});
    if (files_.empty()) {
        ++unscripted_;
        return std::nullopt;
    }
    auto file = files_.front();
    files_.pop_front();
    return file;
}

std::optional<std::string> ScriptedPrompts::openFileName(const FileDialogRequest& request) {
    return nextFile(PromptRecord::Kind::OpenFile, request);
}

std::optional<std::string> ScriptedPrompts::saveFileName(const FileDialogRequest& request) {
    return nextFile(PromptRecord::Kind::SaveFile, request);
}

bool ScriptedPrompts::choosePrinter(PrintRequest& request) {
    records_.push_back({PromptRecord::Kind::Print, {}, {}, PromptIcon::None, {}});
    const bool print = nextAnswer() == PromptAnswer::Yes;
    if (print) request.copies = printCopies_;
    return print;
}

std::vector<std::string> ScriptedPrompts::texts() const {
    std::vector<std::string> texts;
    for (const PromptRecord& r : records_) {
        if (r.kind == PromptRecord::Kind::Message || r.kind == PromptRecord::Kind::Question) texts.push_back(r.text);
    }
    return texts;
}

}  // namespace vespian::testing

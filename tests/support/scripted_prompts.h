#pragma once
// The prompt test double: records every message, question and file dialog with its caption,
// text and icon, and answers from a script (Yes/No/Cancel answers and file names, in order). A
// question or dialog with no scripted answer is answered No / cancelled, and noted as
// unscripted so a test can fail on it. A Cancel answers a Yes/No question No.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompts.h"

namespace vespian::testing {

struct PromptRecord {
    enum class Kind { Message, Question, OpenFile, SaveFile, Print } kind;
    std::string caption;  // the dialog title for file dialogs
    std::string text;     // the filter name for file dialogs
    PromptIcon icon = PromptIcon::None;
    std::string initialDirectory;  // file dialogs only
    std::string initialName{};     // file dialogs only
    bool okCancel = false;         // a question with OK/Cancel rather than Yes/No
    bool withCancel = false;       // a Yes/No/Cancel question
};

class ScriptedPrompts final : public Prompts {
public:
    void answerYes() { answers_.push_back(PromptAnswer::Yes); }
    void answerNo() { answers_.push_back(PromptAnswer::No); }
    void answerCancel() { answers_.push_back(PromptAnswer::Cancel); }
    void chooseFile(std::string path) { files_.push_back(std::move(path)); }
    void cancelFile() { files_.push_back(std::nullopt); }

    void message(const std::string& caption, const std::string& text, PromptIcon icon) override;
    bool askYesNo(const std::string& caption, const std::string& text, PromptIcon icon) override;
    // Answered from the same script: Yes is OK.
    bool askOkCancel(const std::string& caption, const std::string& text, PromptIcon icon) override;
    PromptAnswer askYesNoCancel(const std::string& caption, const std::string& text, PromptIcon icon) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
    // Answered from the Yes/No script: Yes prints (with `printCopies` copies).
    bool choosePrinter(PrintRequest& request) override;
    void setPrintCopies(int32_t copies) { printCopies_ = copies; }

    const std::vector<PromptRecord>& records() const { return records_; }
    // The texts of the messages and questions, in order.
    std::vector<std::string> texts() const;
    int unscripted() const { return unscripted_; }
    bool scriptUsedUp() const { return answers_.empty() && files_.empty(); }
    void clear() { records_.clear(); }

private:
    std::optional<std::string> nextFile(PromptRecord::Kind kind, const FileDialogRequest& request);
    PromptAnswer nextAnswer();

    std::vector<PromptRecord> records_;
    std::deque<PromptAnswer> answers_;
    std::deque<std::optional<std::string>> files_;
    int unscripted_ = 0;
    int32_t printCopies_ = 1;
};

}  // namespace vespian::testing

#pragma once
// Every message box, Yes/No question and file dialog goes through this interface. The desktop
// layer shows the real boxes; tests use a scripted double that records each text and answers
// from a script. Texts are UTF-8.

#include <cstdint>
#include <optional>
#include <string>

namespace vespian {

enum class PromptIcon { None, Information, Warning, Error, Question };

// The answer to a Yes/No/Cancel question. Its close box and Escape give Cancel.
enum class PromptAnswer { Yes, No, Cancel };

struct FileDialogRequest {
    std::string title;           // e.g. "打开谱图文件"
    std::string filterName;      // e.g. "Vespian2002谱图文件 (*.lne)"
    std::string filterPattern;   // e.g. "*.lne"
    std::string initialDirectory;  // e.g. the data folder "SAVE"
    std::string initialName{};     // the name offered in the dialog, e.g. "unname"; may be empty
};

// A message to show: what a core rule answers when it refuses something.
struct PromptMessage {
    std::string caption;
    std::string text;
    PromptIcon icon = PromptIcon::None;
};

// The print dialog's choices. `printer` is the desktop layer's printer object, which the dialog
// configures (opaque here, so the interface stays free of the window system).
struct PrintRequest {
    int32_t copies = 1;
    int32_t fromPage = 1;
    int32_t toPage = 1;
    void* printer = nullptr;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal message with an OK button.
    virtual void message(const std::string& caption, const std::string& text, PromptIcon icon) = 0;
    // A modal Yes/No question; true only for Yes.
    virtual bool askYesNo(const std::string& caption, const std::string& text, PromptIcon icon) = 0;
    // A modal OK/Cancel question; true only for OK. Where no such box exists it is asked as Yes/No.
    virtual bool askOkCancel(const std::string& caption, const std::string& text, PromptIcon icon) {
        return askYesNo(caption, text, icon);
    }
    // A modal Yes/No/Cancel question. Where no such box exists it is asked as Yes/No.
    virtual PromptAnswer askYesNoCancel(const std::string& caption, const std::string& text, PromptIcon icon) {
        return askYesNo(caption, text, icon) ? PromptAnswer::Yes : PromptAnswer::No;
    }
    // File dialogs; no value when cancelled.
    virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
    // The print dialog; true when the operator chose to print (the request then holds the
    // choices). Without a print dialog nothing is printed.
    virtual bool choosePrinter(PrintRequest& request) {
        (void)request;
        return false;
    }
};

}  // namespace vespian

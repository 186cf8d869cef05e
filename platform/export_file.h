#pragma once
// The steps every export to a file of the operator's choice takes: the save dialog, the
// extension added when the name lacks it, the question before an existing file is replaced,
// the write through a temporary file, and a message when the write fails, so no export ever
// fails without a word or leaves half a file where a good one stood.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/prompts.h"

namespace vespian {

inline constexpr char kPdfExtension[] = ".pdf";
inline constexpr char kPngExtension[] = ".png";
inline constexpr char kCsvExtension[] = ".csv";

// Appends `extension` (".pdf") unless the name ends in it in any letter case.
std::string withExtension(const std::string& name, std::string_view extension);

// The replace question when something stands at the path already; the path, or none when it is not to be written.
std::optional<std::string> confirmExportPath(Prompts& prompts, const std::string& path);

// The save dialog and the replace question; the chosen path with its extension, or none when
// the operator cancelled or would not replace the file.
std::optional<std::string> chooseExportFile(Prompts& prompts, const FileDialogRequest& request,
                                            std::string_view extension);

// The file the export could not write, said to the operator.
void reportExportFailure(Prompts& prompts, const std::string& path);

// Writes `bytes` through a temporary file; says why when it fails. True when written.
bool writeExportBytes(Prompts& prompts, const std::string& path, const std::string& bytes);

// The dialog, the question, then `write` (which writes the whole file to the path, replacing it
// only when complete); a write that fails is reported. True when written.
bool exportToChosenFile(Prompts& prompts, const FileDialogRequest& request, std::string_view extension,
                        const std::function<bool(const std::string& path)>& write);

}  // namespace vespian

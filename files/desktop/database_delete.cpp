#include "files/desktop/database_delete.h"

#include "platform/desktop/progress_window.h"

namespace vespian {

int deleteSelectedWithProgress(QWidget* parent, RecordDatabase& database, RecordList list, bool betPageShown) {
    ProgressWindow progress(parent, kDeleteProgressCaption, deleteProgressText(list),
                            selectedInUseCount(database, list));
    const int deleted = deleteSelectedRecords(database, list, betPageShown, [&] { progress.step(); });
    progress.finish();
    return deleted;
}

int deleteSelectedAsked(QWidget* parent, Prompts& prompts, RecordDatabase& database, RecordList list,
                        bool betPageShown) {
    if (!prompts.askYesNo(kDeleteSelectedCaption, kDeleteSelectedQuestion, PromptIcon::Question)) return 0;
    return deleteSelectedWithProgress(parent, database, list, betPageShown);
}

bool deleteAllAsked(Prompts& prompts, RecordDatabase& database, RecordList list) {
    if (!prompts.askYesNo(kDeleteAllCaption, kDeleteAllQuestion, PromptIcon::Question)) return false;
    deleteAllRecords(database, list);
    return true;
}

}  // namespace vespian

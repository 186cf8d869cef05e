#pragma once
// "删除选择数据" and "删除所有数据" on the active list, with their questions and, for the
// selected records, the progress window "删除进度".

#include <QWidget>

#include "files/record_database_commands.h"
#include "platform/prompts.h"

namespace vespian {

// After "所有选择的数据将要被删除,您确定吗?" (Yes only). The number of records deleted.
int deleteSelectedAsked(QWidget* parent, Prompts& prompts, RecordDatabase& database, RecordList list,
                        bool betPageShown);

// After "所有数据将要被删除,您确定吗?" (Yes only). True when the list was emptied.
bool deleteAllAsked(Prompts& prompts, RecordDatabase& database, RecordList list);

// The deletion itself with its progress window (the question already answered).
int deleteSelectedWithProgress(QWidget* parent, RecordDatabase& database, RecordList list, bool betPageShown);

}  // namespace vespian

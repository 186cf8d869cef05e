#pragma once
// Whether the record database in memory still matches its file: a fingerprint of exactly what
// a save writes (the three counts and the records in use, selection flags included), taken when
// the database was loaded or saved and compared with the tables as they are now.

#include <cstdint>

#include "files/record_database.h"

namespace vespian {

uint64_t databaseFingerprint(const RecordDatabase& database);

}  // namespace vespian

#include "files/record_database_fingerprint.h"

#include <algorithm>

#include "platform/fingerprint.h"

namespace vespian {

namespace {

template <typename Table>
uint64_t tableFingerprint(uint64_t f, const Table& table) {
    const int32_t count = std::clamp(table.count, 0, Table::kCapacity);
    f = fingerprintOf(f, count);
    return fingerprintBytes(f, table.records, sizeof table.records[0] * static_cast<size_t>(count));
}

}  // namespace

uint64_t databaseFingerprint(const RecordDatabase& database) {
    uint64_t f = tableFingerprint(kFingerprintStart, database.standards());
    f = tableFingerprint(f, database.samples());
    return tableFingerprint(f, database.reports());
}

}  // namespace vespian

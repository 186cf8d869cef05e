#pragma once
// The audit rows of the program's archive about the given subjects, in chain order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/archive.h"

namespace vespian::testing {

inline std::vector<AuditRow> auditRows(Archive& archive, std::vector<std::string> subjects) {
    std::vector<AuditRow> rows;
    std::string error;
    EXPECT_TRUE(archive.readAudit({{}, std::move(subjects)},
                                  [&](const AuditRow& row) {
                                      rows.push_back(row);
                                      return true;
                                  },
                                  &error))
        << error;
    return rows;
}

}  // namespace vespian::testing

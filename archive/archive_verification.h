#pragma once
// Whether an archive is as it was written: every audit row still carries the hash of its content
// and of the row before it, with no row missing, and every archived file still has the SHA-256
// its newest save recorded in the chain. Names the first row and the files that do not match.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"

namespace vespian {

// Checks rows one after another, as they come out of the archive.
class AuditChainCheck {
public:
    // False once a row does not fit; the first such row is kept.
    bool add(const AuditRow& row);
    int64_t rowsChecked() const { return rows_; }
    const std::optional<int64_t>& firstBadRow() const { return badRow_; }
    const std::string& problem() const { return problem_; }

private:
    int64_t rows_ = 0;
    int64_t lastSeq_ = 0;
    std::string lastHash_;
    std::optional<int64_t> badRow_;
    std::string problem_;
};

struct FileProblem {
    std::string path;
    bool missing = false;  // otherwise present with another hash
    std::string expectedSha256;
    std::string foundSha256;
    int64_t auditSeq = 0;  // the save row that recorded the hash
};

struct ArchiveVerification {
    bool readOk = false;         // the rows could be read at all
    std::string readError;
    int64_t rowsChecked = 0;
    std::optional<int64_t> firstBadRow;
    std::string rowProblem;      // for the operator
    int64_t filesChecked = 0;
    std::vector<FileProblem> files;  // in the order of their save rows

    bool ok() const { return readOk && !firstBadRow && files.empty(); }
    // One paragraph for the operator (or the command line): what was checked, what is wrong.
    std::string summary() const;
};

// `checkFiles`: also hash the archived files (the newest save of each path).
ArchiveVerification verifyArchive(Archive& archive, bool checkFiles = true);

}  // namespace vespian

#pragma once
// A small file of what waits to be archived, one JSON object a line, beside the archive. Lines are
// appended and flushed to the disk one by one; a line cut short by a crash is skipped when read.
// Processes that share an archive share its pending file: a lock file beside it keeps their
// appends and rewrites apart.

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vespian {

class PendingQueue {
public:
    explicit PendingQueue(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    bool enabled() const { return !path_.empty(); }

    bool append(const nlohmann::json& item, std::string* error) const;

    // Takes every waiting item out of the file and hands it to `archive`, keeping those it
    // refuses (returns false for) in the file. Returns how many remain.
    size_t drain(const std::function<bool(const nlohmann::json&)>& archive) const;

    size_t size() const;

private:
    std::vector<nlohmann::json> readItems() const;

    std::string path_;
};

}  // namespace vespian

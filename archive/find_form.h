#pragma once
// The find-and-trend window's form as a query: what the operator typed (a sample's name or part
// of it, a day range, method, operator, instrument, a result and its range) checked and turned
// into a FindQuery, with a message naming the field that cannot be used. Also the trace a found
// save belongs to, for opening it.

#include <optional>
#include <string>

#include "archive/archive.h"

namespace vespian {

struct FindForm {
    std::string sample;      // part of the name
    std::string fromDay;     // "2026-03-01": from its local midnight; empty: no bound
    std::string toDay;       // through the whole of that day; empty: no bound
    std::string method;
    std::string operatorName;
    std::string instrument;
    std::string resultName;  // a result the saves must carry, and the one whose trend is drawn
    std::string least;       // its range, numbers with the point; empty: no bound
    std::string most;
    std::optional<SaveKind> kind;
};

struct FormQuery {
    bool ok = false;
    std::string message;  // for the operator, naming the field
    FindQuery query;
};
FormQuery queryOfForm(const FindForm& form);

// The local midnight that starts a day "YYYY-MM-DD"; none for any other text.
std::optional<WallMs> localDayStart(const std::string& day);

// The archived trace a save belongs to (the save itself when it is a trace): its path, or none
// when the archive holds no trace of that hash.
std::optional<std::string> tracePathOf(Archive& archive, const Registration& registration);

}  // namespace vespian

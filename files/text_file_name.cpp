#include "files/text_file_name.h"

namespace vespian {

std::string withTextExtension(const std::string& name) {
    const size_t n = sizeof kTextFileExtension - 1;
    if (name.size() >= n && name.compare(name.size() - n, n, kTextFileExtension) == 0) return name;
    return name + kTextFileExtension;
}

}  // namespace vespian

// libFuzzer harness of the method file's reader: whatever the bytes, reading returns a method or
// a message and never crashes; a method read is validated and checked without trouble, and
// writes back to a text that reads as the same method.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "method/method_file.h"
#include "method/method_plan.h"
#include "method/method_validation.h"
#include "method/prerun_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vespian;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MethodReadResult read = readMethodText(text);
    if (!read.ok) {
        if (read.message.empty() || !read.method.steps.empty()) __builtin_trap();
        return 0;
    }
    validateMethod(read.method);
    checkBeforeRun(read.method);
    stepDurationEstimates(read.method);
    const MethodReadResult again = readMethodText(methodText(read.method));
    if (!again.ok || !(again.method == read.method)) __builtin_trap();
    return 0;
}

#pragma once
// The methods that ship with the program, one for each test the analyser is bought for: TPR,
// NH3-TPD, TPO, the H2–O2 pulse titration and pulse chemisorption. "新建方法" starts from one of
// them. They are compiled in from the JSON files in method/templates/ and installed beside the
// program (share/vespian2002/methods), so an operator can also copy and edit the files.

#include <string>
#include <string_view>
#include <vector>

#include "method/method_file.h"

namespace vespian {

struct TemplateText {
    std::string_view fileName;  // "tpr.json"
    std::string_view text;
};

// The files as compiled in, in file-name order.
const std::vector<TemplateText>& shippedTemplateTexts();

struct MethodTemplate {
    std::string fileName;
    MethodFile method;
};

// Every shipped template, read. A template that does not read is left out (the tests make sure
// none is).
std::vector<MethodTemplate> shippedTemplates();

}  // namespace vespian

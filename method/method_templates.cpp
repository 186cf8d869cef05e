#include "method/method_templates.h"

namespace vespian {

std::vector<MethodTemplate> shippedTemplates() {
    std::vector<MethodTemplate> templates;
    for (const TemplateText& text : shippedTemplateTexts()) {
        MethodReadResult read = readMethodText(text.text);
        if (read.ok) templates.push_back({std::string(text.fileName), std::move(read.method)});
    }
    return templates;
}

}  // namespace vespian

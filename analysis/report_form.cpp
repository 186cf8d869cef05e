#include "analysis/report_form.h"

namespace vespian {

std::vector<FieldText> fillReportForm(const ReportForm& form, TestReportHeader& header) {
    for (const auto& [field, text] : form.texts(header)) {
        if (form.takesTextBack(field)) form.changed(header, field, text);
    }
    return form.texts(header);
}

void readBackReportForm(const ReportForm& form, TestReportHeader& header,
                        const std::function<std::string(int32_t field)>& textOf) {
    for (const auto& [field, text] : form.texts(header)) {
        if (form.editable(field)) form.changed(header, field, textOf(field));
    }
}

TestReportHeader shownReportHeader(const ReportForm& form, const TestReportHeader& header) {
    TestReportHeader shown = header;
    const std::vector<FieldText> texts = fillReportForm(form, shown);
    readBackReportForm(form, shown, [&](int32_t field) { return fieldText(texts, field); });
    return shown;
}

std::string fieldText(const std::vector<FieldText>& texts, int32_t field) {
    for (const FieldText& t : texts) {
        if (t.first == field) return t.second;
    }
    return {};
}

}  // namespace vespian

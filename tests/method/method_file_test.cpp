// The method file: the shipped templates read, validate and write back unchanged; a file with an
// unknown step kind, a wrong type, a missing or unknown field is refused with its step number.

#include "method/method_file.h"

#include <gtest/gtest.h>

#include <string>

#include "method/method_templates.h"
#include "method/method_validation.h"
#include "support/test_files.h"

namespace vespian {
namespace {

std::string withSteps(const std::string& steps) {
    return R"({"format": 1, "name": "试验", "test": "TPD", "sample": {"name": "S1", "weight_g": 0.1},
               "steps": [{"kind": "gas", "channel": 1, "gas": "氦气", "flow": 30}, )" +
           steps + "]}";
}

TEST(MethodFile, TheFiveShippedTemplatesReadValidateAndWriteBackUnchanged) {
    const std::vector<MethodTemplate> templates = shippedTemplates();
    ASSERT_EQ(templates.size(), shippedTemplateTexts().size()) << "a shipped template does not read";
    std::vector<TestKind> kinds;
    for (const MethodTemplate& t : templates) {
        SCOPED_TRACE(t.fileName);
        kinds.push_back(t.method.test);
        for (const MethodIssue& issue : validateMethod(t.method)) ADD_FAILURE() << issue.message;
        const MethodReadResult again = readMethodText(methodText(t.method));
        ASSERT_TRUE(again.ok) << again.message;
        EXPECT_EQ(again.method, t.method);
    }
    const std::vector<TestKind> expected = {TestKind::Titration, TestKind::Tpd, TestKind::Chemisorption,
                                            TestKind::Tpo, TestKind::Tpr};
    EXPECT_EQ(kinds, expected) << "h2_o2_titration, nh3_tpd, pulse_chemisorption, tpo, tpr";
}

TEST(MethodFile, RefusesAFileWithTheStepNumberAndUsesNothingOfIt) {
    struct Case {
        const char* what;
        std::string text;
        int32_t step;
        const char* says;
    };
    const Case cases[] = {
        {"unknown kind", withSteps(R"({"kind": "heat", "target": 500})"), 2, "不认识的步骤类型“heat”"},
        {"wrong type", withSteps(R"({"kind": "gas", "channel": "2", "gas": "氢气", "flow": 5})"), 2,
         "字段“channel”应为整数"},
        {"fraction for a whole number", withSteps(R"({"kind": "valve", "valve": 1.5, "on": true})"), 2,
         "字段“valve”应为整数"},
        {"missing field", withSteps(R"({"kind": "gas", "channel": 2, "gas": "氢气"})"), 2, "缺少字段“flow”"},
        {"unknown field", withSteps(R"({"kind": "wait", "until": "time", "minutes": 5, "timeout_mn": 9})"), 2,
         "不认识的字段“timeout_mn”"},
        {"unknown choice", withSteps(R"({"kind": "wait", "until": "forever"})"), 2, "“forever”不认识"},
        {"segment not an object", withSteps(R"({"kind": "furnace", "segments": [500]})"), 2, "温控段1应为对象"},
        {"segment field missing",
         withSteps(R"({"kind": "furnace", "segments": [{"target_c": 500, "rate_c_per_min": 10}]})"), 2,
         "缺少字段“hold_min”"},
        {"step not an object", withSteps(R"("gas")"), 2, "第2步：应为对象"},
        {"bool as number", withSteps(R"({"kind": "valve", "valve": 1, "on": 1})"), 2, "应为 true 或 false"},
        {"not JSON", "{\"format\": 1,", 0, "不是有效的 JSON"},
        {"other format", R"({"format": 2, "name": "x", "steps": []})", 0, "格式 2 不受支持"},
        {"sample missing", R"({"format": 1, "name": "x", "test": "TPD", "steps": []})", 0, "缺少字段“sample”"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MethodReadResult read = readMethodText(c.text);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.step, c.step);
        EXPECT_NE(read.message.find(c.says), std::string::npos) << read.message;
        if (c.step > 0) {
            EXPECT_NE(read.message.find("第" + std::to_string(c.step) + "步"), std::string::npos);
        }
        EXPECT_TRUE(read.method.steps.empty());
    }
}

TEST(MethodFile, WholeNumbersAreWrittenAsTypedAndTheFileIsReplacedWhole) {
    MethodFile method = shippedTemplates().front().method;
    method.steps.push_back(GasStep{2, "氢气", 2.5});
    const std::string text = methodText(method);
    EXPECT_NE(text.find("\"flow\": 30"), std::string::npos) << "not 30.0";
    EXPECT_NE(text.find("\"flow\": 2.5"), std::string::npos);

    testing::TestFolder folder("method_file");
    const std::string path = folder.file("m.json");
    ASSERT_EQ(writeMethodFile(path, method), "");
    const MethodReadResult read = readMethodFile(path);
    ASSERT_TRUE(read.ok) << read.message;
    EXPECT_EQ(read.method, method);
    EXPECT_FALSE(readMethodFile(folder.file("missing.json")).ok);
    EXPECT_NE(writeMethodFile(folder.file("no/such/folder/m.json"), method), "");
}

}  // namespace
}  // namespace vespian

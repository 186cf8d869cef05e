// The open export of a run, read back without the program: the README's Python example runs on
// it, and the audit rows' hashes are recomputed as the README describes them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "archive/run_export.h"
#include "archive/run_recorder.h"
#include "archive/sql_archive.h"
#include "archive_behaviour.h"

namespace vespian {
namespace {

using testing::kJan1;
using testing::readBytes;

std::string output(const std::string& command) {
    std::string text;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return text;
    std::array<char, 4096> block{};
    size_t n = 0;
    while ((n = std::fread(block.data(), 1, block.size(), pipe)) > 0) text.append(block.data(), n);
    EXPECT_EQ(::pclose(pipe), 0) << command << "\n" << text;
    return text;
}

std::string readmeExample() {
    std::ifstream in(std::string(VESPIAN_SOURCE_DIR) + "/README.md");
    std::stringstream all;
    all << in.rdbuf();
    const std::string readme = all.str();
    const size_t marker = readme.find("<!-- export-example -->");
    const size_t start = readme.find("```python\n", marker);
    const size_t end = readme.find("```", start + 10);
    if (marker == std::string::npos || start == std::string::npos || end == std::string::npos) return {};
    return readme.substr(start + 10, end - start - 10);
}

TEST(RunExport, TheReadmesPythonExampleReadsTheExportAndTheAuditHashesRecompute) {
    testing::TestFolder folder("run_export");
    OpenedArchive opened = openSqliteArchive(folder.file("archive.sqlite"));
    ASSERT_TRUE(opened.archive);
    const std::string trace = folder.file("tpd.lne");
    const std::string sha = testing::saveSampleTrace(trace, 250);
    RunRecorder recorder;
    recorder.begin(kJan1);
    recorder.methodStarted({{"format", 1}, {"name", "NH3-TPD"}, {"steps", nlohmann::json::array()}});
    recorder.furnaceStarted(kJan1 + 5000, 50, {{600, 10, 30}});
    ASSERT_TRUE(writeRunRecordBeside(trace, recorder.record(kJan1 + 50'000, 250)).ok);
    const Registration saved = testing::traceRegistration(trace, sha, "H-ZSM-5 参比", kJan1 + 50'000);
    ASSERT_TRUE(opened.archive->registerSave(saved).ok);
    ASSERT_TRUE(opened.archive->registerSave(testing::evaluationOf(saved, "acid_sites", 40.0, kJan1 + 60'000)).ok);
    AuditEntry edit{newUniqueId(), kJan1 + 55'000, "lab1", audit_action::kEdit, trace, sha, "", "zero \"line\"\n",
                    "{}"};
    ASSERT_TRUE(opened.archive->recordAudit(edit).ok);
    // Another run's rows stay out of this run's export.
    ASSERT_TRUE(opened.archive->registerSave(testing::traceRegistration("/elsewhere.lne", std::string(64, 'b'), "x", 1)).ok);

    const std::string out = folder.file("export");
    const RunExport exported = exportRun(*opened.archive, trace, out, "Vespian2002 test");
    ASSERT_TRUE(exported.ok) << exported.message;
    EXPECT_TRUE(exported.archived);
    EXPECT_EQ(exported.files,
              (std::vector<std::string>{"trace.csv", "run.json", "method.json", "evaluations.json", "audit.json",
                                        "manifest.json"}));
    EXPECT_EQ(readBytes(out + "/run.json"), readBytes(folder.file("tpd.run.json")));

    const std::string example = readmeExample();
    ASSERT_FALSE(example.empty());
    std::ofstream(folder.file("example.py")) << example;
    EXPECT_LE(std::count(example.begin(), example.end(), '\n'), 10);
    const std::string printed = output("PYTHONIOENCODING=utf-8 python3 " + folder.file("example.py") + " " + out);
    EXPECT_NE(printed.find("tpd.lne " + sha + " 250 points"), std::string::npos) << printed;
    EXPECT_NE(printed.find("acid_sites 40.0 ± 0.8 µmol/g baseline_offset"), std::string::npos) << printed;
    EXPECT_NE(printed.find("3 audit rows"), std::string::npos) << printed;

    // Each row's hash is the SHA-256 of the compact array the README names.
    const std::string recompute =
        "import hashlib, json, sys\n"
        "rows = json.load(open(sys.argv[1], encoding='utf-8'))['rows']\n"
        "for r in rows:\n"
        "    a = [r['seq'], r['id'], r['at_ms'], r['who'], r['action'], r['subject'], r['trace_sha256'],\n"
        "         r['old_value'], r['new_value'], r['details'], r['previous_hash']]\n"
        "    text = json.dumps(a, ensure_ascii=False, separators=(',', ':'))\n"
        "    print(hashlib.sha256(text.encode('utf-8')).hexdigest() == r['hash'])\n";
    std::ofstream(folder.file("chain.py")) << recompute;
    EXPECT_EQ(output("python3 " + folder.file("chain.py") + " " + out + "/audit.json"), "True\nTrue\nTrue\n");
}

}  // namespace
}  // namespace vespian

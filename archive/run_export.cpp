#include "archive/run_export.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "archive/run_record.h"
#include "archive/sha256.h"
#include "files/trace_csv.h"
#include "platform/replace_file.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using ordered = nlohmann::ordered_json;

template <class Json>
std::string jsonFileText(const Json& value) {
    return value.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace

RunExport exportRun(Archive& archive, const std::string& tracePath, const std::string& folder,
                    const std::string& program) {
    RunExport result;
    result.folder = folder;
    auto trace = std::make_unique<Chromatogram>();
    const TraceFileResult loaded = loadTraceFile(tracePath, *trace);
    if (!loaded.ok) {
        result.message = loaded.message;
        return result;
    }
    const FileHash hash = sha256OfFile(tracePath);
    if (!hash.ok) {
        result.message = hash.message;
        return result;
    }
    result.traceSha256 = hash.hex;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        result.message = "无法建立文件夹‘" + folder + "’：" + error.message();
        return result;
    }

    ordered fileHashes = ordered::object();
    bool written = true;
    const auto write = [&](const std::string& name, const std::function<bool(std::FILE*)>& content) {
        const std::string path = (fs::path(folder) / name).string();
        if (!written || replaceFile(path, content) != ReplaceFileStatus::Ok) {
            if (written) result.message = "无法建立‘" + path + "’文件";
            written = false;
            return;
        }
        fileHashes[name] = sha256OfFile(path).hex;
        result.files.push_back(name);
    };
    const auto writeText = [&](const std::string& name, const std::string& text) {
        write(name, [&](std::FILE* f) { return writeBlock(f, text.data(), text.size()); });
    };

    write("trace.csv", [&](std::FILE* f) {
        return writeTraceCsv(f, trace->signalMv(), trace->temperatureC(), loaded.points);
    });

    // The run record as it lies beside the trace, byte for byte: its own hash stays checkable.
    const std::string recordPath = runRecordPathFor(tracePath);
    const RunRecordRead record = readRunRecord(recordPath);
    if (record.ok) {
        write("run.json", [&](std::FILE* out) {
            std::FILE* in = std::fopen(recordPath.c_str(), "rb");
            if (in == nullptr) return false;
            char block[65536];
            size_t n = 0;
            bool ok = true;
            while (ok && (n = std::fread(block, 1, sizeof block, in)) > 0) ok = writeBlock(out, block, n);
            ok = ok && std::ferror(in) == 0;
            std::fclose(in);
            return ok;
        });
        if (record.record.method) writeText("method.json", jsonFileText(*record.record.method));
    }

    FindQuery query;
    query.traceSha256 = hash.hex;
    query.limit = 100000;
    const FindResult found = archive.find(query);
    if (!found.ok) {
        result.message = found.message;
        return result;
    }
    ordered evaluations = ordered::array();
    std::vector<std::string> subjects = {fs::absolute(tracePath, error).lexically_normal().string(),
                                         fs::absolute(recordPath, error).lexically_normal().string()};
    for (auto save = found.saves.rbegin(); save != found.saves.rend(); ++save) {  // oldest first
        const Registration& r = save->registration;
        if (r.kind == SaveKind::Trace && r.sha256 == hash.hex) result.archived = true;
        if (r.kind == SaveKind::Evaluation || r.kind == SaveKind::Report) evaluations.push_back(registrationToJson(r));
        if (!r.path.empty() && std::find(subjects.begin(), subjects.end(), r.path) == subjects.end()) {
            subjects.push_back(r.path);
        }
    }
    writeText("evaluations.json", jsonFileText(ordered{{"format", kRunExportFormat},
                                                {"trace_sha256", hash.hex},
                                                {"evaluations", std::move(evaluations)}}));

    ordered rows = ordered::array();
    std::string auditError;
    if (!archive.readAudit({hash.hex, subjects},
                           [&](const AuditRow& row) {
                               rows.push_back(auditRowToJson(row));
                               return true;
                           },
                           &auditError)) {
        result.message = auditError;
        return result;
    }
    writeText("audit.json", jsonFileText(ordered{{"format", kRunExportFormat}, {"rows", std::move(rows)}}));

    const ordered manifest = {
        {"format", kRunExportFormat},
        {"kind", kRunExportKind},
        {"program", program},
        {"created", isoLocalTime(wallNowMs())},
        {"archive", archive.where()},
        {"trace",
         {{"file", fs::path(tracePath).filename().string()},
          {"sha256", hash.hex},
          {"points", loaded.points},
          {"archived", result.archived}}},
        {"files", fileHashes},
    };
    writeText("manifest.json", jsonFileText(manifest));
    result.ok = written;
    return result;
}

}  // namespace vespian
